// The host's membership of a group in etcd.
#include "fleet_member.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "../common/config_public.h"
#include "../common/fleet_config.h"
#include "../common/status_export.h"
#include "../common/text.h"
#include "cs/cs.h"
#include "host_log.h"
#include "pb/pb.h"
#include "pb/pb_runtime.h"

namespace vorlix::host {

using tools::jsonQuote;
using tools::utf8;

namespace {

void drain(int fd) {
    uint64_t count;
    [[maybe_unused]] ssize_t n = ::read(fd, &count, sizeof count);
}

std::string systemIdentifier() {
    auto options = pb::adopt(csModuleOptions());
    return utf8(pb::adopt(pbIdentifierString(pb::adopt(csOptionsSystemIdentifier(options.get())).get())).get());
}

}  // namespace

void addFleetOptions(CLI::App& app, FleetOptions& options) {
    app.add_option("--fleet", options.url, "take the configuration from the group in etcd at URL and keep it")
        ->type_name("URL");
    app.add_option("--group", options.group, "with --fleet: the group's name")->type_name("NAME");
    app.add_option("--fleet-member", options.member, "with --fleet: this host's name in the group (host name)")
        ->type_name("NAME");
    app.add_flag("--fleet-private", options.includePrivateData,
                 "with --fleet: the group's configuration holds private data too");
    app.add_option("--fleet-lease-s", options.leaseSeconds, "with --fleet: seconds a dead host stays listed")
        ->check(CLI::Range(2LL, 3600LL))
        ->type_name("S");
    tools::addEtcdAccessOptions(app, options.etcd);
}

std::string fleetOptionsProblem(FleetOptions& options, bool runOnce) {
    if (options.url.empty()) return options.group.empty() ? "" : "--group needs --fleet";
    if (runOnce) return "--fleet runs as a service only (without --run-ms)";
    if (options.url.rfind("http://", 0) != 0 && options.url.rfind("https://", 0) != 0)
        return "--fleet wants an http:// or https:// URL of etcd, not \"" + options.url + "\"";
    if (!tools::fleetGroupNameOk(options.group))
        return "--fleet needs --group NAME (letters, digits, '.', '_', '-'; at most 64)";
    if (options.member.empty()) {
        char name[256] = {};
        ::gethostname(name, sizeof name - 1);
        options.member = name;
    }
    if (!tools::fleetGroupNameOk(options.member))
        return "--fleet-member wants letters, digits, '.', '_', '-' (at most 64), not \"" + options.member + "\"";
    return options.etcd.complete();
}

FleetMember::FleetMember(FleetOptions options, HostConfiguration& configuration)
    : options_(std::move(options)),
      configuration_(configuration),
      configKey_(tools::fleetConfigKey(options_.group)),
      hostKey_(tools::fleetHostKey(options_.group, options_.member)),
      client_(options_.url, options_.etcd.access) {
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    hostName_ = name;
    auto loaded = pb::adopt(pbRuntimeModulesVector());
    for (PB_INT i = 0; i < pbVectorLength(loaded.get()); ++i) {
        auto module = pb::adopt(pbModuleFrom(pbVectorObjAt(loaded.get(), i)));
        versions_ += std::string(versions_.empty() ? "" : ",") + jsonQuote(pbModuleNameCstr(module.get())) + ":" +
                     jsonQuote(pbModuleRecord(module.get())->moduleVersion);
    }
}

FleetMember::~FleetMember() {
    stop();
    if (signalable_) {
        csConfigUpdateDelSignalable(signalable_);
        pbSignalableRelease(signalable_);
    }
    for (int fd : {wakeFd_, changeFd_})
        if (fd >= 0) ::close(fd);
}

// Runs on whichever thread changed the configuration: only wake the loop.
void FleetMember::configChanged(void* self) {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(static_cast<FleetMember*>(self)->changeFd_, &one, sizeof one);
}

void FleetMember::wake() {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

bool FleetMember::start(HostService& service) {
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    changeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0 || changeFd_ < 0) return false;
    std::optional<tools::EtcdKv> kv;
    if (!client_.get(configKey_, &kv)) {
        logLine("fleet: etcd at " + options_.url + " is unreachable (" + client_.error() +
                "); running on the local configuration until it answers");
    } else {
        reachable_ = true;
        if (kv) {
            logLine("fleet: group " + options_.group + " holds revision " + std::to_string(kv->modRevision));
            applyGroup(*kv);
        } else {
            logLine("fleet: group " + options_.group + " holds no configuration yet; offering this host's");
            writeBack();
        }
    }
    signalable_ = pbSignalableCreateWithCallback(&FleetMember::configChanged, this);
    csConfigUpdateAddSignalable(signalable_);
    service.addWatch(wakeFd_, [this] { onWake(); });
    service.addWatch(changeFd_, [this] { onLocalChange(); });
    service.beforeReload([this] { reloaded_ = true; });
    watcher_ = std::thread([this] { watchLoop(); });
    leaser_ = std::thread([this] { leaseLoop(); });
    return true;
}

void FleetMember::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    stopFlag_ = true;
    stopped_.notify_all();
    if (watcher_.joinable()) watcher_.join();
    if (leaser_.joinable()) leaser_.join();
}

bool FleetMember::pause(long long ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    return stopped_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void FleetMember::onWake() {
    drain(wakeFd_);
    follow();
}

// The watch hands over the value written, which saves reading it again;
// after a deletion or a new watch the key is read.
void FleetMember::follow() {
    std::optional<tools::EtcdKv> kv;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        kv.swap(watched_);
    }
    if (!kv || pendingWrite_) return sync();
    if (kv->modRevision <= appliedRevision_) return;
    // A local change not written yet (its update signal not handled) goes
    // first: its swap fails on the revision that arrived and the conflict
    // is reported, where applying the revision would drop it unseen.
    if (csConfigVersion() != baselineVersion_) {
        onLocalChange();
        if (pendingWrite_ || kv->modRevision <= appliedRevision_) return;
    }
    applyGroup(*kv);
}

// The update signal is heard once: listen again before looking.
void FleetMember::onLocalChange() {
    drain(changeFd_);
    csConfigUpdateAddSignalable(signalable_);
    if (csConfigVersion() == baselineVersion_) return;
    if (!reloaded_) {
        writeBack();
        return;
    }
    // A reload applies the files as an operator edited them: the change is
    // based on what the files held when they were saved last, so an edit of
    // a copy older than the group's configuration loses with a report.
    reloaded_ = false;
    auto at = revisionAtVersion_.upper_bound(configuration_.savedVersion());
    writeBack(at == revisionAtVersion_.begin() ? appliedRevision_.load() : std::prev(at)->second);
}

void FleetMember::holds(long long revision) {
    revisionAtVersion_[csConfigVersion()] = revision;
    while (revisionAtVersion_.size() > 64) revisionAtVersion_.erase(revisionAtVersion_.begin());
}

pb::Ref<PB_STORE> FleetMember::fullConfig() {
    return configuration_.withModulesNotLoaded(pb::adopt(csConfigConfig(nullptr)).get());
}

pb::Ref<PB_STORE> FleetMember::groupStore() {
    auto config = options_.includePrivateData ? fullConfig()
                                              : configuration_.withModulesNotLoaded(tools::configWithoutPrivateData().get());
    return tools::withoutHostValues(config.get());
}

void FleetMember::sync() {
    // A change that waited for etcd goes first, on the revision it was
    // based on: when the group moved on meanwhile, the swap fails and the
    // conflict is handled as in a race.
    if (pendingWrite_ && writeBack()) return;
    if (pendingWrite_) return;  // etcd still does not answer
    std::optional<tools::EtcdKv> kv;
    if (!client_.get(configKey_, &kv)) return;  // the watch thread reports the outage
    if (!kv) {
        logLine("fleet: the group's configuration was removed; offering this host's");
        appliedRevision_ = 0;
        baseline_ = nullptr;
        writeBack();
        return;
    }
    if (kv->modRevision != appliedRevision_) applyGroup(*kv);
}

void FleetMember::applyGroup(const tools::EtcdKv& kv) {
    std::string error;
    auto config = tools::decodeConfig(kv.value, &error);
    appliedRevision_ = kv.modRevision;
    if (!config) {
        logError("fleet: revision " + std::to_string(kv.modRevision) + " of the group's configuration does not load (" +
                 error + "); the running configuration stays");
        return;
    }
    auto merged = tools::keepHostValues(config.get(), hostValues().get());
    configuration_.applyReported(merged.get(), "etcd revision " + std::to_string(kv.modRevision), "fleet");
    baseline_ = groupStore();
    baselineVersion_ = csConfigVersion();
    holds(kv.modRevision);
}

pb::Ref<PB_STORE> FleetMember::hostValues() {
    long long version = csConfigVersion();
    if (!hostValues_ || hostValuesVersion_ != version) {
        auto form = baseline_ && baselineVersion_ == version ? baseline_ : groupStore();
        hostValues_ = tools::hostValues(fullConfig().get(), form.get());
        hostValuesVersion_ = version;
    }
    return hostValues_;
}

bool FleetMember::writeBack(long long based) {
    auto form = groupStore();
    if (baseline_ && pbObjEquals(reinterpret_cast<PB_OBJ*>(form.get()), reinterpret_cast<PB_OBJ*>(baseline_.get()))) {
        pendingWrite_ = false;
        baselineVersion_ = csConfigVersion();  // nothing the group holds changed
        return false;
    }
    if (based < 0) based = appliedRevision_;
    if (pendingWrite_) based = std::min(based, pendingBase_);
    bool swapped = false;
    std::optional<tools::EtcdKv> current;
    if (!client_.compareAndPut(configKey_, tools::encodeConfig(form.get()), based, &swapped, &current)) {
        if (!pendingWrite_)
            logLine("fleet: cannot write this host's change to the group (" + client_.error() +
                    "); it is written when etcd answers, if the group still holds revision " + std::to_string(based));
        pendingWrite_ = true;
        pendingBase_ = based;
        return false;
    }
    pendingWrite_ = false;
    if (swapped) {
        appliedRevision_ = client_.revision();
        baseline_ = form;
        baselineVersion_ = csConfigVersion();
        holds(appliedRevision_);
        logLine("fleet: wrote this host's change to the group as revision " + std::to_string(client_.revision()));
        return true;
    }
    ++conflicts_;
    if (!current) {  // removed meanwhile: offer it again as the first
        logLine("fleet: conflict: the group's configuration was removed meanwhile; offering this host's again");
        appliedRevision_ = 0;
        writeBack();
        return true;
    }
    logLine("fleet: conflict: the group's configuration changed to revision " + std::to_string(current->modRevision) +
            " after revision " + std::to_string(based) +
            ", which this host's change was based on; this host's change is dropped and the group's applied");
    applyGroup(*current);
    return true;
}

std::string FleetMember::hostDocument() {
    return "{\"member\":" + jsonQuote(options_.member) + ",\"hostName\":" + jsonQuote(hostName_) +
           ",\"systemIdentifier\":" + jsonQuote(systemIdentifier()) + ",\"pid\":" + std::to_string(::getpid()) +
           ",\"versions\":{" + versions_ + "},\"configRevision\":" + std::to_string(appliedRevision_.load()) +
           ",\"configVersion\":" + std::to_string(csConfigVersion()) +
           ",\"conflicts\":" + std::to_string(conflicts_.load()) +
           ",\"status\":" + tools::storeJson(tools::statusStore().get()) + "}";
}

void FleetMember::watchLoop() {
    tools::EtcdClient watcher(options_.url, options_.etcd.access);
    auto stop = [this] { return stopFlag_.load(); };
    auto created = [this] {
        if (!reachable_.exchange(true)) logLine("fleet: etcd at " + options_.url + " answers again");
        std::lock_guard<std::mutex> lock(mutex_);
        watched_.reset();  // read what changed while the watch did not stand
        wake();
    };
    auto changed = [this](const tools::EtcdKv* kv) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (kv) watched_ = *kv;
        else watched_.reset();
        wake();
    };
    while (!stopFlag_) {
        if (watcher.watch(configKey_, created, changed, stop)) break;
        if (reachable_.exchange(false))
            logLine("fleet: etcd at " + options_.url + " is unreachable (" + watcher.error() +
                    "); running on revision " + std::to_string(appliedRevision_.load()) + " until it answers");
        if (pause(500)) break;
    }
}

void FleetMember::leaseLoop() {
    tools::EtcdClient publisher(options_.url, options_.etcd.access);
    long long lease = 0;
    long long interval = std::max(300LL, options_.leaseSeconds * 1000 / 3);
    // The entry (with every object's status) is written when the lease is
    // new and then at most every statusEvery, not at every keep-alive.
    using Clock = std::chrono::steady_clock;
    const auto statusEvery = std::chrono::seconds(5);
    Clock::time_point written{};
    long long writtenLease = 0, writtenRevision = 0;
    std::string last;
    do {
        if (!lease && !publisher.grantLease(options_.leaseSeconds, &lease)) lease = 0;
        if (lease) {
            long long ttl = 0;
            bool answered = publisher.keepAlive(lease, &ttl);
            // An answer that the lease is gone (etcd was away longer than
            // the lease): take a new one now; no answer: try again later.
            if (answered ? ttl <= 0 : publisher.error().rfind("etcd answered", 0) == 0) {
                lease = 0;
                if (!publisher.grantLease(options_.leaseSeconds, &lease)) lease = 0;
            }
            bool applied = appliedRevision_ != writtenRevision;
            if (lease && (lease != writtenLease || applied || Clock::now() - written >= statusEvery)) {
                long long revision = appliedRevision_;
                std::string document = hostDocument();
                if ((lease != writtenLease || document != last) && publisher.put(hostKey_, document, lease)) {
                    writtenLease = lease;
                    writtenRevision = revision;
                    last = std::move(document);
                }
                written = Clock::now();
            }
        }
    } while (!pause(interval));
    if (lease) publisher.revokeLease(lease);
}

}  // namespace vorlix::host
