// The host's configuration cycle.
#include "host_configuration.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <map>
#include <set>

#include "../common/config_diff.h"
#include "../common/config_file.h"
#include "../common/config_review.h"
#include "../common/text.h"
#include "cs/cs.h"
#include "cs/config/cs_config_store.h"
#include "host_log.h"
#include "pb/pb.h"
#include "pb/pb_path.h"
#include "pb/pb_store_encoding.h"

namespace vorlix::host {

using tools::makeString;
using tools::utf8;

namespace {

long long objectCount(PB_STORE* config) {
    auto objects = pb::adopt(pbStoreStoreCstr(config, "objects", -1));
    return objects ? pbStoreLength(objects.get()) : 0;
}

// The names of the entries of config's part.
std::set<std::string> entryNames(PB_STORE* config, const char* part) {
    std::set<std::string> out;
    auto entries = pb::adopt(config ? pbStoreStoreCstr(config, part, -1) : nullptr);
    for (PB_INT i = 0; entries && i < pbStoreLength(entries.get()); ++i)
        out.insert(utf8(pb::adopt(pbStoreAddressAt(entries.get(), i)).get()));
    return out;
}

// Whether config's part names the same entries as before's, seen without
// listing them: the same names at the same places (after a gather, the
// very strings the loaded configuration held). False does not say that
// they differ.
bool sameEntryNames(PB_STORE* before, PB_STORE* config, const char* part) {
    auto was = pb::adopt(before ? pbStoreStoreCstr(before, part, -1) : nullptr);
    auto now = pb::adopt(config ? pbStoreStoreCstr(config, part, -1) : nullptr);
    PB_INT length = was ? pbStoreLength(was.get()) : 0;
    if (length != (now ? pbStoreLength(now.get()) : 0)) return false;
    for (PB_INT i = 0; i < length; ++i) {
        auto a = pb::adopt(pbStoreAddressAt(was.get(), i));
        auto b = pb::adopt(pbStoreAddressAt(now.get(), i));
        if (!pbStringEquals(a.get(), b.get())) return false;
    }
    return true;
}

pb::Ref<PB_STORE> entry(PB_STORE* config, const char* part, const std::string& name) {
    auto entries = pb::adopt(pbStoreStoreCstr(config, part, -1));
    if (!entries) return nullptr;
    return pb::adopt(pbStoreStoreCstr(entries.get(), name.c_str(), PB_INT(name.size())));
}

// The live named objects, each held so that a replaced one cannot be
// mistaken for its successor at the same address.
std::map<std::string, pb::Ref<PB_OBJ>> liveObjects() {
    std::map<std::string, pb::Ref<PB_OBJ>> out;
    auto records = pb::adopt(csObjectTableRecordsVector());
    for (PB_INT i = 0; i < pbVectorLength(records.get()); ++i) {
        auto held = pb::adopt(csObjectRecordFrom(pbVectorObjAt(records.get(), i)));
        auto* record = held.get();
        out[utf8(pb::adopt(csObjectRecordName(record)).get())] = pb::adopt(csObjectRecordObject(record));
    }
    return out;
}

std::string sortName(PB_OBJ* object) { return pbSortNameCstr(pbObjSort(object)); }

std::string joined(const std::vector<std::string>& keys) {
    std::string out;
    for (const auto& k : keys) out += (out.empty() ? "" : ", ") + k;
    return out;
}

std::string utcStamp() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%dT%H%M%SZ", &tm);
    return buf;
}

bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

struct Loaded {
    pb::Ref<PB_STORE> config;
    std::string error;  // empty when loaded
};

Loaded loadFile(const std::string& file) {
    tools::ConfigFile read = tools::readConfigFile(file);
    return {read.store, read.error};
}

void reportBroken(const std::string& file, const std::string& error) {
    logError("configuration file " + file + ": " + error);
}

// Moves a broken file aside under the first free name file.broken-N.
std::optional<std::string> keepAside(const std::string& file) {
    for (int n = 1; n < 1000; ++n) {
        std::string aside = file + ".broken-" + std::to_string(n);
        if (exists(aside)) continue;
        if (std::rename(file.c_str(), aside.c_str()) != 0) break;
        return aside;
    }
    return std::nullopt;
}

}  // namespace

HostConfiguration::HostConfiguration(std::string configDir, std::string initialFile)
    : configDir_(std::move(configDir)), initialFile_(std::move(initialFile)) {}

HostConfiguration::FileStamp HostConfiguration::stampOf(const std::string& file) {
    struct stat st;
    if (::stat(file.c_str(), &st) != 0) return {};
    return {true, st.st_dev, st.st_ino, (unsigned long long)st.st_size,
            st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
}

// Finds the configuration to start from: the main file, else the backup
// (announced; a broken main file is moved aside first), else the initial
// file when neither exists. A file that exists but does not load is never
// written over: when nothing else can stand in for it, *failed is set and
// nothing may be saved.
// On reload (fallback false) a main file that does not load is an error:
// the operator's edit stays where it is and the running configuration too.
pb::Ref<PB_STORE> HostConfiguration::read(std::string* source, bool* failed, bool fallback) {
    *failed = false;
    if (!configDir_.empty()) {
        std::string main = mainFile();
        std::string backup = configDir_ + "/cs-backup.vqconfig";
        // Stamped before reading: a change made while the file is read
        // differs from the stamp, so no save writes over it unread.
        FileStamp stamp = stampOf(main);
        bool mainExists = stamp.exists, backupExists = exists(backup);
        Loaded first = mainExists ? loadFile(main) : Loaded{};
        if (first.config) {
            *source = "configuration directory";
            mainStamp_ = stamp;
            mainContent_ = first.config;
            return first.config;
        }
        if (mainExists) reportBroken(main, first.error);
        if (mainExists && !fallback) {
            *failed = true;
            return nullptr;
        }
        Loaded second = backupExists ? loadFile(backup) : Loaded{};
        if (second.config) {
            if (mainExists) {
                auto aside = keepAside(main);
                if (!aside) {
                    logError("cannot move " + main + " aside: " + std::strerror(errno));
                    *failed = true;
                    return nullptr;
                }
                logLine("configuration: " + main + " did not load, kept as " + *aside);
            }
            mainStamp_ = stampOf(main);
            mainContent_ = nullptr;
            logLine("configuration: falling back to the backup " + backup);
            *source = "backup file";
            return second.config;
        }
        if (backupExists) reportBroken(backup, second.error);
        if (mainExists || backupExists) {
            logError(std::string("no configuration loaded; fix or remove the file") +
                     (mainExists && backupExists ? "s" : "") + " above");
            *failed = true;
            return nullptr;
        }
    }
    if (!initialFile_.empty()) {
        Loaded initial = loadFile(initialFile_);
        if (!initial.config) {
            reportBroken(initialFile_, initial.error);
            *failed = true;
            return nullptr;
        }
        *source = "initial file";
        if (!configDir_.empty()) mainStamp_ = stampOf(mainFile());
        mainContent_ = nullptr;
        return initial.config;
    }
    return nullptr;
}

void HostConfiguration::apply(PB_STORE* config) {
    for (const auto& skipped : tools::skippedEntries(config))
        logLine("configuration: skipped " + skipped.part + (skipped.name.empty() ? "" : "/" + skipped.name) + ": " +
                skipped.reason);
    for (const auto& name : tools::modulesNotLoaded(config))
        logLine("configuration: module " + name + " is not loaded; its saved configuration is kept as it is");
    auto update = pb::adopt(csUpdateCreate(config));
    csUpdateTableUpdate(update.out());
    original_ = pb::retain(config);
    loaded_ = pb::adopt(csUpdateCurrent(update.get()));
    copyKept_ = false;
    csConfigSetConfig(loaded_.get());
}

bool HostConfiguration::loadAtStart() {
    std::string source;
    bool failed = false;
    auto config = read(&source, &failed, true);
    if (failed) return false;
    if (!config) {
        logLine("configuration: none saved, starting empty");
        return true;
    }
    apply(config.get());
    logLine("configuration: loaded from " + source + ", " + std::to_string(objectCount(loaded_.get())) +
            " objects, version " + std::to_string(csConfigVersion()));
    return true;
}

bool HostConfiguration::reload() {
    std::string source;
    bool failed = false;
    auto config = read(&source, &failed, false);
    if (failed) {
        logError("reload: the configuration did not load; the running configuration stays");
        return false;
    }
    if (!config) {
        logLine("reload: no configuration saved; nothing changes");
        return true;
    }
    applyReported(config.get(), source, "reload");
    return true;
}

void HostConfiguration::applyReported(PB_STORE* config, const std::string& source, const std::string& what) {
    auto before = liveObjects();
    auto beforeConfig = pb::adopt(csConfigConfig(nullptr));
    apply(config);
    auto after = liveObjects();
    auto afterConfig = pb::adopt(csConfigConfig(nullptr));

    // One line per change, written at once: an apply may change thousands.
    std::string report;
    auto note = [&](const std::string& line) { report += what + ": " + line + "\n"; };
    int created = 0, reconfigured = 0, replaced = 0, deleted = 0;
    for (const auto& [name, object] : after) {
        auto old = before.find(name);
        if (old == before.end()) {
            ++created;
            note("created " + name + " (" + sortName(object.get()) + ")");
        } else if (old->second.get() != object.get()) {
            ++replaced;
            note("replaced " + name + " (" + sortName(old->second.get()) + " -> " + sortName(object.get()) + ")");
        } else {
            auto keys = tools::changedKeys(entry(beforeConfig.get(), "objects", name).get(),
                                           entry(afterConfig.get(), "objects", name).get());
            if (keys.empty()) continue;
            ++reconfigured;
            note("reconfigured " + name + ": " + joined(keys));
        }
    }
    for (const auto& [name, object] : before) {
        if (after.count(name)) continue;
        ++deleted;
        note("deleted " + name + " (" + sortName(object.get()) + ")");
    }
    for (const auto& change : tools::diffPart(beforeConfig.get(), afterConfig.get(), "modules").changed) {
        std::vector<std::string> keys;
        for (const auto& k : change.keys)
            if (k.rfind("config", 0) == 0) keys.push_back(k);
        if (!keys.empty()) note("module " + change.name + " reconfigured: " + joined(keys));
    }
    note("applied from " + source + ": " + std::to_string(created) + " created, " +
            std::to_string(reconfigured) + " reconfigured, " + std::to_string(replaced) + " replaced, " +
            std::to_string(deleted) + " deleted, version " + std::to_string(csConfigVersion()));
    report.pop_back();
    logLine(report);
}

pb::Ref<PB_STORE> HostConfiguration::withModulesNotLoaded(PB_STORE* config) {
    auto out = pb::retain(config);
    keepModulesNotLoaded(out);
    return out;
}

void HostConfiguration::keepModulesNotLoaded(pb::Ref<PB_STORE>& config) {
    if (!loaded_) return;
    auto names = tools::modulesNotLoaded(loaded_.get());
    if (names.empty()) return;
    auto modules = pb::adopt(pbStoreStoreCstr(config.get(), "modules", -1));
    if (!modules) modules = pb::adopt(pbStoreCreate());
    for (const auto& name : names) {
        auto kept = entry(loaded_.get(), "modules", name);
        pbStoreSetStoreCstr(modules.out(), name.c_str(), PB_INT(name.size()), kept.get());
    }
    pbStoreSetStoreCstr(config.out(), "modules", -1, modules.get());
}

std::string HostConfiguration::dropped(PB_STORE* config) {
    std::string out;
    for (const char* part : {"modules", "objects"}) {
        if (sameEntryNames(loaded_.get(), config, part)) continue;
        auto now = entryNames(config, part);
        for (const auto& name : entryNames(loaded_.get(), part))
            if (!now.count(name)) out += (out.empty() ? "" : ", ") + std::string(part) + "/" + name;
    }
    return out;
}

bool HostConfiguration::mainUnchanged() const {
    FileStamp now = stampOf(mainFile());
    if (now == mainStamp_) return true;
    if (!now.exists || !mainContent_) return false;
    tools::ConfigFile read = tools::readConfigFile(mainFile());
    return read.store && pbObjEquals(reinterpret_cast<PB_OBJ*>(read.store.get()), reinterpret_cast<PB_OBJ*>(mainContent_.get()));
}

bool HostConfiguration::save(bool gather) {
    if (configDir_.empty()) return true;
    if (gather) csConfigGather();
    PB_INT version = 0;
    auto config = pb::adopt(csConfigConfig(&version));
    keepModulesNotLoaded(config);
    if (loaded_ && !copyKept_) {
        std::string lost = dropped(config.get());
        if (!lost.empty()) {
            std::string copy = configDir_ + "/cs-as-loaded-" + utcStamp() + ".vqconfig";
            if (!cs___ConfigStoreSaveToFile(original_.get(), makeString(copy).get())) {
                logError("cannot keep a copy of the loaded configuration in " + copy + "; not saving");
                return false;
            }
            copyKept_ = true;
            logLine("configuration: saving drops " + lost + "; the configuration as loaded is kept in " + copy);
        }
    }
    if (!mainUnchanged()) {
        std::string unsaved = configDir_ + "/cs-unsaved.vqconfig";
        bool kept = cs___ConfigStoreSaveToFile(config.get(), makeString(unsaved).get());
        logError(mainFile() + " changed on disk since the host last read or wrote it: not written over (SIGHUP applies it); " +
                 (kept ? "the running configuration is kept in " + unsaved : "cannot keep the running configuration in " + unsaved));
        return false;
    }
    bool saved = cs___ConfigStoreSave(config.get());
    mainStamp_ = stampOf(mainFile());  // whatever the save left is the host's own
    mainContent_ = saved ? config : nullptr;
    if (!saved) {
        logError("cannot write the configuration files in " + configDir_);
        return false;
    }
    savedVersion_ = version;
    return true;
}

}  // namespace vorlix::host
