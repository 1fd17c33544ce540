// vorlix-host: a host process for the runtime and its modules.
//
//   vorlix-host [--config DIR] [--initial FILE] [--trace FILE] [--run-ms N]
//               [--manual-clock] [--module NAME]...
//
// Starts the runtime with DIR as its configuration directory, switches the
// trace sink on when asked, loads the module "cs" and the modules named,
// then runs the configuration cycle: load the saved configuration (from DIR,
// or FILE when DIR holds none), migrate it through the registered updates,
// apply it, run for N milliseconds (in virtual time with --manual-clock),
// gather the configuration, save it to DIR, print the status of every
// module and stop the runtime.
//
// A configuration file that exists but does not load is never written
// over. When the main file is broken and the backup loads, the host says
// so, moves the main file aside (cs.vqconfig.broken-N) and goes on with the
// backup; when no file loads, it names each broken file with what is wrong
// (for JSON, the line and column) and exits with status 1 without saving.
// So does a configuration directory that does not exist.
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_path.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "pb/pb_runtime_clock.h"
#include "pb/pb_store_encoding.h"
#include "tr/tr.h"

namespace {

struct Options {
    std::string configDir, initialFile, traceFile;
    long long runMs = 0;
    bool manualClock = false;
    std::vector<std::string> modules{"cs"};
};

int usage() {
    std::fprintf(stderr,
                 "usage: vorlix-host [--config DIR] [--initial FILE] [--trace FILE] [--run-ms N]\n"
                 "                   [--manual-clock] [--module NAME]...\n");
    return 2;
}

std::string utf8(PB_STRING* s) {
    if (!s) return "";
    PB_INT n = 0;
    char* c = pbStringConvertToCstr(s, &n);
    std::string out(c, size_t(n));
    pb___MemFree(c);
    return out;
}

std::string itemText(CS_STATUS_ITEM* item) {
    switch (csStatusItemType(item)) {
    case CS_STATUS_ITEM_TYPE_BOOL: return csStatusItemBoolValue(item) ? "true" : "false";
    case CS_STATUS_ITEM_TYPE_INT: return std::to_string(csStatusItemIntValue(item));
    case CS_STATUS_ITEM_TYPE_STRING: return "\"" + utf8(pb::adopt(csStatusItemStringValue(item)).get()) + "\"";
    default: return "(" + utf8(pb::adopt(csStatusItemTypeToString(csStatusItemType(item))).get()) + ")";
    }
}

// One line per registered module with its status items.
void printStatus() {
    auto names = pb::adopt(csModuleTableModuleNamesVector());
    for (PB_INT i = 0; i < pbVectorLength(names.get()); ++i) {
        auto name = pb::adopt(pbStringFrom(pbVectorObjAt(names.get(), i)));
        auto status = pb::adopt(csModuleStatusByModuleName(name.get()));
        std::printf("status %s:", utf8(name.get()).c_str());
        if (status) {
            auto items = pb::adopt(csStatusItems(status.get()));
            for (PB_INT k = 0; k < csStatusItemsLength(items.get()); ++k) {
                auto itemName = pb::adopt(csStatusItemsNameAt(items.get(), k));
                auto item = pb::adopt(csStatusItemsItemAt(items.get(), k));
                std::printf(" %s=%s", utf8(itemName.get()).c_str(), itemText(item.get()).c_str());
            }
        }
        std::printf("\n");
    }
}

bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// One configuration file: what it holds, or why it does not load.
struct Loaded {
    pb::Ref<PB_STORE> config;
    std::string error;  // empty when loaded
};

Loaded loadFile(const std::string& file) {
    auto path = pb::adopt(pbStringCreateFromCstr(file.c_str(), -1));
    if (auto config = pb::adopt(cs___ConfigStoreLoadFromFile(path.get()))) return {config, ""};
    errno = 0;
    auto bytes = pb::adopt(pbPathFileReadBuffer(path.get()));
    if (!bytes) return {nullptr, std::string("cannot be read: ") + std::strerror(errno ? errno : EIO)};
    if (auto error = pb::adopt(pbStoreDecodeError(bytes.get()))) return {nullptr, utf8(error.get())};
    return {nullptr, "is not a configuration (its store header is not of type CS_CONFIG)"};
}

void reportBroken(const std::string& file, const std::string& error) {
    std::fprintf(stderr, "vorlix-host: configuration file %s: %s\n", file.c_str(), error.c_str());
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

// Finds the configuration to start from: the main file, else the backup
// (announced; a broken main file is moved aside first), else the initial
// file when neither exists. Returns false when a file that exists does not
// load and nothing else can stand in for it: nothing may be saved then.
bool findConfiguration(const Options& options, pb::Ref<PB_STORE>* config, std::string* source) {
    if (!options.configDir.empty()) {
        std::string main = options.configDir + "/cs.vqconfig";
        std::string backup = options.configDir + "/cs-backup.vqconfig";
        bool mainExists = exists(main), backupExists = exists(backup);
        Loaded first = mainExists ? loadFile(main) : Loaded{};
        if (first.config) {
            *config = first.config;
            *source = "configuration directory";
            return true;
        }
        if (mainExists) reportBroken(main, first.error);
        Loaded second = backupExists ? loadFile(backup) : Loaded{};
        if (second.config) {
            if (mainExists) {
                auto aside = keepAside(main);
                if (!aside) {
                    std::fprintf(stderr, "vorlix-host: cannot move %s aside: %s\n", main.c_str(), std::strerror(errno));
                    return false;
                }
                std::printf("configuration: %s did not load, kept as %s\n", main.c_str(), aside->c_str());
            }
            std::printf("configuration: falling back to the backup %s\n", backup.c_str());
            *config = second.config;
            *source = "backup file";
            return true;
        }
        if (backupExists) reportBroken(backup, second.error);
        if (mainExists || backupExists) {
            std::fprintf(stderr, "vorlix-host: no configuration loaded; fix or remove the file%s above\n",
                         mainExists && backupExists ? "s" : "");
            return false;
        }
    }
    if (!options.initialFile.empty()) {
        Loaded initial = loadFile(options.initialFile);
        if (!initial.config) {
            reportBroken(options.initialFile, initial.error);
            return false;
        }
        *config = initial.config;
        *source = "initial file";
    }
    return true;
}

// Loads, migrates and applies the saved configuration; false when a file
// that exists did not load.
bool loadConfiguration(const Options& options) {
    pb::Ref<PB_STORE> config;
    std::string source;
    if (!findConfiguration(options, &config, &source)) return false;
    if (!config) {
        std::printf("configuration: none saved, starting empty\n");
        return true;
    }
    auto update = pb::adopt(csUpdateCreate(config.get()));
    csUpdateTableUpdate(update.out());
    auto migrated = pb::adopt(csUpdateCurrent(update.get()));
    PB_INT version = csConfigSetConfig(migrated.get());
    auto objects = pb::adopt(pbStoreStoreCstr(migrated.get(), "objects", -1));
    std::printf("configuration: loaded from %s, %lld objects, version %lld\n", source.c_str(),
                static_cast<long long>(objects ? pbStoreLength(objects.get()) : 0), static_cast<long long>(version));
    return true;
}

void run(const Options& options) {
    if (options.runMs <= 0) return;
    if (options.manualClock) pbRuntimeManualAdvance(options.runMs);
    else std::this_thread::sleep_for(std::chrono::milliseconds(options.runMs));
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--manual-clock") {
            options.manualClock = true;
            continue;
        }
        if (i + 1 >= argc) return usage();
        if (arg == "--config") options.configDir = argv[++i];
        else if (arg == "--initial") options.initialFile = argv[++i];
        else if (arg == "--trace") options.traceFile = argv[++i];
        else if (arg == "--run-ms") options.runMs = std::atoll(argv[++i]);
        else if (arg == "--module") options.modules.push_back(argv[++i]);
        else return usage();
    }

    if (!options.configDir.empty()) {
        struct stat st;
        int err = ::stat(options.configDir.c_str(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
        if (err) {
            std::fprintf(stderr, "vorlix-host: configuration directory %s: %s\n", options.configDir.c_str(),
                         std::strerror(err));
            return 1;
        }
    }
    if (!options.traceFile.empty() && !trSinkOpenFileCstr(options.traceFile.c_str(), -1)) {
        std::fprintf(stderr, "vorlix-host: cannot open trace file %s\n", options.traceFile.c_str());
        return 1;
    }
    if (options.manualClock) pbRuntimeSetManualClock(PB_TRUE);
    auto paths = pb::adopt(pbRuntimePathsCreate());
    if (!options.configDir.empty())
        pbRuntimePathsSetPathCstr(paths.out(), PB_RUNTIME_PATH_CONFIGURATION, options.configDir.c_str(), -1);
    pbRuntimeStart(paths.get());

    int status = 0;
    for (const auto& name : options.modules) {
        if (!pbRuntimeLoadModuleCstr(name.c_str(), -1)) {
            std::fprintf(stderr, "vorlix-host: cannot load module %s\n", name.c_str());
            status = 1;
        }
    }
    auto loaded = pb::adopt(pbRuntimeModulesVector());
    std::printf("modules:");
    for (PB_INT i = 0; i < pbVectorLength(loaded.get()); ++i) {
        auto module = pb::adopt(pbModuleFrom(pbVectorObjAt(loaded.get(), i)));
        std::printf(" %s %s", pbModuleNameCstr(module.get()), pbModuleRecord(module.get())->moduleVersion);
    }
    std::printf("\n");

    if (status == 0 && !loadConfiguration(options)) status = 1;
    if (status == 0) {
        run(options);
        PB_INT version = csConfigGather();
        auto config = pb::adopt(csConfigConfig(nullptr));
        if (options.configDir.empty()) {
            std::printf("configuration: version %lld, not saved (no configuration directory)\n",
                        static_cast<long long>(version));
        } else if (cs___ConfigStoreSave(config.get())) {
            std::printf("configuration: version %lld, saved\n", static_cast<long long>(version));
        } else {
            std::fprintf(stderr, "vorlix-host: configuration version %lld not saved to %s\n",
                         static_cast<long long>(version), options.configDir.c_str());
            status = 1;
        }
        printStatus();
    }

    pbRuntimeStop();
    pbRuntimeExecutorShutdown();
    trSinkClose();
    std::printf("stopped\n");
    return status;
}
