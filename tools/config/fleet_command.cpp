// vorlix-config fleet.
#include "fleet_command.h"

#include <simdjson.h>

#include <cstdio>
#include <optional>

#include "../common/config_diff.h"
#include "../common/config_file.h"
#include "../common/config_review.h"
#include "../common/etcd_client.h"
#include "../common/fleet_config.h"
#include "../common/text.h"

namespace vorlix::tools {

namespace {

int unreachable(const EtcdClient& client) {
    std::fprintf(stderr, "vorlix-config: etcd at %s: %s\n", client.url().c_str(), client.error().c_str());
    return 2;
}

std::string field(simdjson::dom::element doc, const char* name) {
    auto value = doc[name];
    if (value.error()) return "-";
    if (value.is_string()) return std::string(value.get_string().value_unsafe());
    return simdjson::to_string(value.value_unsafe());
}

// "ok", or the module status items that say something is wrong.
std::string health(simdjson::dom::element doc) {
    simdjson::dom::object modules;
    if (doc["status"]["modules"].get_object().get(modules)) return "-";
    std::string out;
    for (auto [name, items] : modules) {
        auto up = items["csUp"];
        if (!up.error() && up.is_bool() && !up.get_bool().value_unsafe())
            out += (out.empty() ? "" : ",") + std::string(name) + " down";
    }
    return out.empty() ? "ok" : out;
}

}  // namespace

void FleetCommand::add(CLI::App& app) {
    command_ = app.add_subcommand("fleet", "the group's configuration and hosts in etcd");
    command_->require_subcommand(1);
    command_->add_option("--fleet", url_, "etcd's client URL, http://127.0.0.1:2379")->required()->type_name("URL");
    command_->add_option("--group", group_, "the group's name")->required()->type_name("NAME");
    addEtcdAccessOptions(*command_, etcd_);
    status_ = command_->add_subcommand("status", "the hosts alive in the group, their versions and status");
    get_ = command_->add_subcommand("get", "print the group's configuration");
    put_ = command_->add_subcommand("put", "check FILE and write it as the group's configuration");
    put_->add_option("FILE", file_, "configuration file")->required();
    diff_ = command_->add_subcommand("diff", "what changes from the group's configuration to FILE");
    diff_->add_option("FILE", file_, "configuration file")->required();
}

int FleetCommand::run(bool json) {
    if (!fleetGroupNameOk(group_)) {
        std::fprintf(stderr, "vorlix-config: --group wants letters, digits, '.', '_', '-' (at most 64)\n");
        return 2;
    }
    if (std::string problem = etcd_.complete(); !problem.empty()) {
        std::fprintf(stderr, "vorlix-config: %s\n", problem.c_str());
        return 2;
    }
    if (status_->parsed()) return status(json);
    if (get_->parsed()) return get();
    if (put_->parsed()) return put(json);
    return diff(json);
}

int FleetCommand::status(bool json) {
    EtcdClient client(url_, etcd_.access);
    std::vector<EtcdKv> hosts;
    if (!client.list(fleetHostsPrefix(group_), &hosts)) return unreachable(client);
    std::optional<EtcdKv> config;
    if (!client.get(fleetConfigKey(group_), &config)) return unreachable(client);
    long long revision = config ? config->modRevision : 0;
    if (json) {
        std::string list;
        for (const auto& host : hosts) list += (list.empty() ? "" : ",") + host.value;
        std::printf("{\"group\":%s,\"configRevision\":%lld,\"hosts\":[%s]}\n", jsonQuote(group_).c_str(), revision,
                    list.c_str());
        return 0;
    }
    std::printf("group %s: configuration revision %lld, %zu host%s alive\n", group_.c_str(), revision, hosts.size(),
                hosts.size() == 1 ? "" : "s");
    std::printf("%-20s %-20s %-8s %-9s %-9s %s\n", "MEMBER", "HOST", "CS", "REVISION", "CONFLICTS", "STATUS");
    simdjson::dom::parser parser;
    for (const auto& host : hosts) {
        simdjson::dom::element doc;
        if (parser.parse(host.value).get(doc)) {
            std::printf("%-20s (unreadable entry)\n", host.key.substr(fleetHostsPrefix(group_).size()).c_str());
            continue;
        }
        std::string cs = "-";
        auto version = doc["versions"]["cs"].get_string();
        if (!version.error()) cs = std::string(version.value_unsafe());
        std::string applied = field(doc, "configRevision");
        std::string mark = applied == std::to_string(revision) ? "" : " (behind)";
        std::printf("%-20s %-20s %-8s %-9s %-9s %s\n", field(doc, "member").c_str(), field(doc, "hostName").c_str(),
                    cs.c_str(), (applied + mark).c_str(), field(doc, "conflicts").c_str(), health(doc).c_str());
    }
    return 0;
}

int FleetCommand::get() {
    EtcdClient client(url_, etcd_.access);
    std::optional<EtcdKv> config;
    if (!client.get(fleetConfigKey(group_), &config)) return unreachable(client);
    if (!config) {
        std::fprintf(stderr, "vorlix-config: group %s holds no configuration\n", group_.c_str());
        return 1;
    }
    std::fputs((config->value + "\n").c_str(), stdout);
    return 0;
}

int FleetCommand::put(bool json) {
    ConfigFile file = readConfigFile(file_);
    if (!file.store) {
        std::fprintf(stderr, "vorlix-config: %s %s\n", file_.c_str(), file.error.c_str());
        return 2;
    }
    auto skipped = skippedEntries(file.store.get());
    for (const auto& s : skipped)
        std::fprintf(stderr, "vorlix-config: %s: apply skips %s%s: %s\n", file_.c_str(), s.part.c_str(),
                     s.name.empty() ? "" : ("/" + s.name).c_str(), s.reason.c_str());
    if (!skipped.empty()) {
        std::fprintf(stderr, "vorlix-config: not written: fix the entries above first\n");
        return 1;
    }
    EtcdClient client(url_, etcd_.access);
    std::optional<EtcdKv> current;
    if (!client.get(fleetConfigKey(group_), &current, false)) return unreachable(client);
    long long based = current ? current->modRevision : 0;
    bool swapped = false;
    std::string bytes = encodeConfig(withoutHostValues(file.store.get()).get());
    if (!client.compareAndPut(fleetConfigKey(group_), bytes, based, &swapped, &current)) return unreachable(client);
    if (!swapped) {
        std::fprintf(stderr,
                     "vorlix-config: group %s: the configuration changed meanwhile (now revision %lld); not "
                     "written, look at it and try again\n",
                     group_.c_str(), current ? current->modRevision : 0LL);
        return 1;
    }
    if (json) std::printf("{\"group\":%s,\"revision\":%lld}\n", jsonQuote(group_).c_str(), client.revision());
    else std::printf("group %s: written as revision %lld\n", group_.c_str(), client.revision());
    return 0;
}

int FleetCommand::diff(bool json) {
    ConfigFile file = readConfigFile(file_);
    if (!file.store) {
        std::fprintf(stderr, "vorlix-config: %s %s\n", file_.c_str(), file.error.c_str());
        return 2;
    }
    EtcdClient client(url_, etcd_.access);
    std::optional<EtcdKv> current;
    if (!client.get(fleetConfigKey(group_), &current)) return unreachable(client);
    std::string error;
    auto group = current ? decodeConfig(current->value, &error) : pb::adopt(pbStoreCreate());
    if (!group) {
        std::fprintf(stderr, "vorlix-config: group %s: its configuration does not load: %s\n", group_.c_str(),
                     error.c_str());
        return 2;
    }
    ConfigDiff d = diffConfigs(group.get(), withoutHostValues(file.store.get()).get());
    std::fputs(json ? diffJson(d).c_str() : diffText(d).c_str(), stdout);
    return d.empty() ? 0 : 1;
}

}  // namespace vorlix::tools
