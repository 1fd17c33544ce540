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
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "pb/pb_runtime_clock.h"
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

// Loads, migrates and applies the saved configuration.
void loadConfiguration(const Options& options) {
    const char* source = "configuration directory";
    auto config = pb::adopt(cs___ConfigStoreLoad());
    if (!config && !options.initialFile.empty()) {
        auto path = pb::adopt(pbStringCreateFromCstr(options.initialFile.c_str(), -1));
        config = pb::adopt(cs___ConfigStoreLoadFromFile(path.get()));
        source = "initial file";
    }
    if (!config) {
        std::printf("configuration: none saved, starting empty\n");
        return;
    }
    auto update = pb::adopt(csUpdateCreate(config.get()));
    csUpdateTableUpdate(update.out());
    auto migrated = pb::adopt(csUpdateCurrent(update.get()));
    PB_INT version = csConfigSetConfig(migrated.get());
    auto objects = pb::adopt(pbStoreStoreCstr(migrated.get(), "objects", -1));
    std::printf("configuration: loaded from %s, %lld objects, version %lld\n", source,
                static_cast<long long>(objects ? pbStoreLength(objects.get()) : 0), static_cast<long long>(version));
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

    if (status == 0) {
        loadConfiguration(options);
        run(options);
        PB_INT version = csConfigGather();
        auto config = pb::adopt(csConfigConfig(nullptr));
        bool saved = cs___ConfigStoreSave(config.get());
        std::printf("configuration: version %lld, %s\n", static_cast<long long>(version),
                    saved ? "saved" : "not saved (no configuration directory or write failed)");
        printStatus();
    }

    pbRuntimeStop();
    pbRuntimeExecutorShutdown();
    trSinkClose();
    std::printf("stopped\n");
    return status;
}
