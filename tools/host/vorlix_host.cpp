// vorlix-host: the service that runs the runtime, its modules and the
// configuration cycle of the module "cs".
//
// Started without --run-ms it is a service: it loads, migrates and applies
// the saved configuration, tells systemd it is ready, and runs until
// SIGTERM or SIGINT, reloading on SIGHUP and saving shortly after every
// change (host_service.h); an optional loopback HTTP endpoint shows status,
// configuration and metrics (host_http.h). With --run-ms N it runs for N
// milliseconds (in virtual time with --manual-clock), gathers, saves,
// prints every module's status and stops: the form the demo and the tests
// use. Exit status: 0 done, 1 the host could not go on (the message says
// why), 2 bad options.
#include <CLI/CLI.hpp>
#include <chrono>
#include <optional>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "../common/command_line.h"
#include "../common/text.h"
#include "cs/cs.h"
#include "fleet_member.h"
#include "host_configuration.h"
#include "host_http.h"
#include "host_log.h"
#include "host_service.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "pb/pb_runtime_clock.h"
#include "tr/tr.h"

#if VORLIX_HOST_MIMALLOC
#include <mimalloc.h>
#endif

namespace {

using namespace vorlix::host;
using vorlix::tools::utf8;

struct Options {
    std::string configDir, initialFile, traceFile, modulesDir, http;
    long long runMs = -1;
    long long saveDelayMs = 1000;
    bool manualClock = false;
    std::vector<std::string> modules;
    FleetOptions fleet;
};

std::string itemText(CS_STATUS_ITEM* item) {
    switch (csStatusItemType(item)) {
    case CS_STATUS_ITEM_TYPE_BOOL: return csStatusItemBoolValue(item) ? "true" : "false";
    case CS_STATUS_ITEM_TYPE_INT: return std::to_string(csStatusItemIntValue(item));
    case CS_STATUS_ITEM_TYPE_STRING: return "\"" + utf8(pb::adopt(csStatusItemStringValue(item)).get()) + "\"";
    default: return "(" + utf8(pb::adopt(csStatusItemTypeToString(csStatusItemType(item))).get()) + ")";
    }
}

std::string itemsText(CS_STATUS* status) {
    std::string line;
    auto items = pb::adopt(csStatusItems(status));
    for (PB_INT k = 0; k < csStatusItemsLength(items.get()); ++k) {
        auto itemName = pb::adopt(csStatusItemsNameAt(items.get(), k));
        auto item = pb::adopt(csStatusItemsItemAt(items.get(), k));
        line += " " + utf8(itemName.get()) + "=" + itemText(item.get());
    }
    return line;
}

// One line per registered module, then per named object that reports a
// status, with the status items.
void printStatus() {
    auto names = pb::adopt(csModuleTableModuleNamesVector());
    for (PB_INT i = 0; i < pbVectorLength(names.get()); ++i) {
        auto name = pb::adopt(pbStringFrom(pbVectorObjAt(names.get(), i)));
        auto status = pb::adopt(csModuleStatusByModuleName(name.get()));
        logLine("status " + utf8(name.get()) + ":" + (status ? itemsText(status.get()) : ""));
    }
    auto records = pb::adopt(csObjectTableRecordsVector());
    for (PB_INT i = 0; i < pbVectorLength(records.get()); ++i) {
        auto record = pb::adopt(csObjectRecordFrom(pbVectorObjAt(records.get(), i)));
        auto object = pb::adopt(csObjectRecordObject(record.get()));
        auto status = pb::adopt(csObjectStatus(object.get()));
        if (status)
            logLine("status object " + utf8(pb::adopt(csObjectRecordName(record.get())).get()) + ":" +
                    itemsText(status.get()));
    }
}

// A directory the host can read and write, or a message saying why not.
std::string directoryProblem(const std::string& dir, const char* what) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) return std::string(what) + " " + dir + " does not exist";
    if (!S_ISDIR(st.st_mode)) return std::string(what) + " " + dir + " is not a directory";
    if (::access(dir.c_str(), R_OK | W_OK | X_OK) != 0)
        return std::string(what) + " " + dir + " is not readable and writable by this user";
    return "";
}

// Loads "cs" and the named modules; false after naming each that failed
// and the loader's reason.
bool loadModules(const Options& options) {
    bool ok = true;
    std::vector<std::string> names{"cs"};
    names.insert(names.end(), options.modules.begin(), options.modules.end());
    for (const auto& name : names) {
        auto string = vorlix::tools::makeString(name);
        if (!pbModuleNameOk(string.get())) {
            logError("\"" + name + "\" is not a module name");
            ok = false;
            continue;
        }
        PB_STRING* reason = nullptr;
        if (!pbRuntimeLoadModuleWithReason(string.get(), &reason)) {
            logError("cannot load module " + name + ": " + utf8(reason));
            ok = false;
        }
        if (reason) pbStringRelease(reason);
    }
    auto loaded = pb::adopt(pbRuntimeModulesVector());
    std::string line = "modules:";
    for (PB_INT i = 0; i < pbVectorLength(loaded.get()); ++i) {
        auto held = pb::adopt(pbModuleFrom(pbVectorObjAt(loaded.get(), i)));
        auto* module = held.get();
        line += std::string(" ") + pbModuleNameCstr(module) + " " + pbModuleRecord(module)->moduleVersion;
    }
    logLine(line);
    return ok;
}

// The runtime is started: run the host in the chosen mode.
int runHost(const Options& options) {
    if (!loadModules(options)) return 1;
    HostConfiguration configuration(options.configDir, options.initialFile);
    if (!configuration.loadAtStart()) return 1;

    if (options.runMs >= 0) {
        if (options.manualClock) pbRuntimeManualAdvance(options.runMs);
        else std::this_thread::sleep_for(std::chrono::milliseconds(options.runMs));
        bool saved = configuration.save(true);
        logLine("configuration: version " + std::to_string(csConfigVersion()) + ", " +
                (!configuration.hasDirectory() ? "not saved (no configuration directory)"
                                               : saved ? "saved" : "not saved (write failed)"));
        printStatus();
        return saved ? 0 : 1;
    }

    if (!configuration.hasDirectory())
        logLine("configuration: no --config directory; changes are not saved");
    HttpEndpoint http;
    if (!options.http.empty()) {
        std::string error;
        if (!http.start(options.http, &error)) {
            logError(error);
            return 1;
        }
        logLine("http: listening on " + http.address());
    }
    HostService service(configuration, options.saveDelayMs);
    if (!service.ready()) {
        logError("cannot set up signal and timer descriptors");
        return 1;
    }
    std::optional<FleetMember> fleet;
    if (!options.fleet.url.empty() && !fleet.emplace(options.fleet, configuration).start(service)) {
        logError("cannot set up the fleet's descriptors");
        return 1;
    }
    int status = service.run();
    if (fleet) fleet->stop();
    http.stop();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
#if VORLIX_HOST_MIMALLOC
    // Memory in large pages where the kernel offers them (transparent huge
    // pages): a configuration of 100,000 objects is otherwise paged in 4 KB
    // at a time, a page fault each, a fifth of the cycle's time.
    mi_option_set(mi_option_large_os_pages, 1);
#endif
    // Before any thread exists, so every thread inherits the mask and the
    // service reads the signals from its signalfd.
    blockServiceSignals();

    Options options;
    CLI::App app{"vorlix-host: runs the runtime, its modules and their configuration as a service.\n"
                 "Without --run-ms it runs until SIGTERM or SIGINT, reloads on SIGHUP and saves\n"
                 "the configuration after every change and when it stops.",
                 "vorlix-host"};
    app.add_option("--config", options.configDir, "configuration directory (cs.vqconfig, cs-backup.vqconfig)")
        ->type_name("DIR");
    app.add_option("--initial", options.initialFile, "configuration to start from when DIR holds none")
        ->type_name("FILE");
    app.add_option("--module", options.modules, "load module NAME (libvorlix-NAME.so); repeatable")
        ->type_name("NAME");
    app.add_option("--modules", options.modulesDir, "directory searched first for module libraries")
        ->type_name("DIR");
    app.add_option("--http", options.http, "serve /status, /config, /metrics, /healthz on a loopback address")
        ->type_name("ADDR:PORT");
    app.add_option("--save-delay-ms", options.saveDelayMs, "save this long after a change of the configuration")
        ->check(CLI::Range(0LL, 3600000LL))
        ->type_name("MS");
    app.add_option("--trace", options.traceFile, "write the trace as JSON lines to FILE")->type_name("FILE");
    app.add_option("--run-ms", options.runMs, "run N milliseconds, save, print the status and stop")
        ->check(CLI::NonNegativeNumber)
        ->type_name("N");
    app.add_flag("--manual-clock", options.manualClock, "with --run-ms: run in virtual time");
    addFleetOptions(app, options.fleet);
    if (auto status = vorlix::tools::parseCommandLine(app, argc, argv)) return *status;
    if (std::string problem = fleetOptionsProblem(options.fleet, options.runMs >= 0); !problem.empty()) {
        std::fprintf(stderr, "vorlix-host: %s\n", problem.c_str());
        return 2;
    }
    if (options.manualClock && options.runMs < 0) {
        std::fprintf(stderr, "vorlix-host: --manual-clock needs --run-ms\n");
        return 2;
    }
    for (auto [dir, what] : {std::pair{options.configDir, "configuration directory"},
                             std::pair{options.modulesDir, "modules directory"}}) {
        if (dir.empty()) continue;
        if (std::string problem = directoryProblem(dir, what); !problem.empty()) {
            logError(problem);
            return 1;
        }
    }

    if (!options.traceFile.empty() && !trSinkOpenFileCstr(options.traceFile.c_str(), -1)) {
        logError("cannot open the trace file " + options.traceFile);
        return 1;
    }
    if (options.manualClock) pbRuntimeSetManualClock(PB_TRUE);
    auto paths = pb::adopt(pbRuntimePathsCreate());
    if (!options.configDir.empty())
        pbRuntimePathsSetPathCstr(paths.out(), PB_RUNTIME_PATH_CONFIGURATION, options.configDir.c_str(), -1);
    if (!options.modulesDir.empty())
        pbRuntimePathsSetPathCstr(paths.out(), PB_RUNTIME_PATH_MODULES, options.modulesDir.c_str(), -1);
    pbRuntimeStart(paths.get());
    int status = runHost(options);
    pbRuntimeStop();
    pbRuntimeExecutorShutdown();
    trSinkClose();
    logLine("stopped");
    return status;
}
