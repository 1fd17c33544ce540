// vorlix-host: a host process for the runtime and its modules.
//
//   vorlix-host [--config DIR] [--trace FILE] [--run-ms N] [--module NAME]...
//
// Starts the runtime in the threaded clock mode with DIR as its
// configuration path, switches the trace sink on when asked, loads the
// module "cs" and any other modules named, prints what is loaded, runs for
// N milliseconds (default 0) and stops the runtime.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "pb/pb_runtime_clock.h"
#include "tr/tr.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: vorlix-host [--config DIR] [--trace FILE] [--run-ms N] [--module NAME]...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string configDir, traceFile;
    long long runMs = 0;
    std::vector<std::string> modules{"cs"};
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i + 1 >= argc) return usage();
        if (arg == "--config") configDir = argv[++i];
        else if (arg == "--trace") traceFile = argv[++i];
        else if (arg == "--run-ms") runMs = std::atoll(argv[++i]);
        else if (arg == "--module") modules.push_back(argv[++i]);
        else return usage();
    }

    if (!traceFile.empty() && !trSinkOpenFileCstr(traceFile.c_str(), -1)) {
        std::fprintf(stderr, "vorlix-host: cannot open trace file %s\n", traceFile.c_str());
        return 1;
    }
    auto paths = pb::adopt(pbRuntimePathsCreate());
    if (!configDir.empty())
        pbRuntimePathsSetPathCstr(paths.out(), PB_RUNTIME_PATH_CONFIGURATION, configDir.c_str(), -1);
    pbRuntimeStart(paths.get());

    int status = 0;
    for (const auto& name : modules) {
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

    if (status == 0 && runMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(runMs));

    pbRuntimeStop();
    pbRuntimeExecutorShutdown();
    trSinkClose();
    std::printf("stopped\n");
    return status;
}
