// The configuration with N stub objects: applying it (creating the stubs,
// then keeping them), gathering it, and writing and reading the
// configuration files.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "cs/cs.h"
#include "cs/config/cs_config_store.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "pb/pb_runtime_clock.h"

namespace {

using pb::adopt;

// The module "cs" running in the manual clock mode for one benchmark, with
// a fresh configuration directory that is removed at the end.
struct ModuleStarted {
    ModuleStarted() {
        pbRuntimeSetManualClock(PB_TRUE);
        pbRuntimeStart(nullptr);
        pbRuntimeLoadModuleCstr("cs", -1);
        if (!mkdtemp(dir)) std::abort();
        auto paths = adopt(pbRuntimePathsCreate());
        pbRuntimePathsSetPathCstr(paths.out(), PB_RUNTIME_PATH_CONFIGURATION, dir, -1);
        pbRuntimeSetPaths(paths.get());
    }
    ~ModuleStarted() {
        pbRuntimeStop();
        pbRuntimeManualRunPending();
        std::system((std::string("rm -rf ") + dir).c_str());
    }
    char dir[32] = "/tmp/vorlix-benchcfg-XXXXXX";
};

// A configuration naming n stubs "stub<i>", each configured {"type":"x","n":i}.
pb::Ref<PB_STORE> stubsConfig(int64_t n) {
    auto objects = adopt(pbStoreCreate());
    for (int64_t i = 0; i < n; ++i) {
        auto stubConfig = adopt(pbStoreCreate());
        pbStoreSetValueCstr(stubConfig.out(), "type", -1, adopt(pbStringCreateFromCstr("x", -1)).get());
        pbStoreSetValueIntCstr(stubConfig.out(), "n", -1, PB_INT(i));
        auto entry = adopt(pbStoreCreate());
        pbStoreSetValueCstr(entry.out(), "sort", -1, adopt(pbStringCreateFromCstr("CS_STUB", -1)).get());
        pbStoreSetStoreCstr(entry.out(), "config", -1, stubConfig.get());
        auto name = adopt(pbStringCreateFromFormatCstr("stub%i", -1, PB_INT(i)));
        pbStoreSetStore(objects.out(), name.get(), entry.get());
    }
    auto config = adopt(pbStoreCreate());
    pbStoreSetStoreCstr(config.out(), "objects", -1, objects.get());
    return config;
}

// A configuration naming no object: applying it deletes every stub.
pb::Ref<PB_STORE> emptyConfig() { return adopt(pbStoreCreate()); }

// Items are objects; "per object" is the CPU time per object of one
// operation. Every case runs for at least two seconds, so that the 100k
// cases time a few rounds rather than one.
void perObject(benchmark::State& state, int64_t n) {
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
    state.counters["per object"] =
        benchmark::Counter(double(state.iterations()) * double(n), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Creates and deletes the n stubs once, untimed, so that the first timed
// round finds the process's heap grown as the later ones do: at 100k the
// first round otherwise pays mostly for page faults (several hundred MB
// touched for the first time) and a single-iteration run measures those.
void warmUp(PB_STORE* config) {
    csConfigSetConfig(config);
    csConfigSetConfig(emptyConfig().get());
}

// n stubs applied and gathered once, on a warmed-up heap.
void applyAndGather(int64_t n) {
    auto config = stubsConfig(n);
    warmUp(config.get());
    csConfigSetConfig(config.get());
    csConfigGather();
}

// First apply into an empty table: every stub is created. Deleting them
// again (applying an empty configuration) is not timed.
void BM_ConfigApplyCreate(benchmark::State& state) {
    ModuleStarted started;
    const int64_t n = state.range(0);
    auto config = stubsConfig(n);
    warmUp(config.get());
    for (auto _ : state) {
        csConfigSetConfig(config.get());
        state.PauseTiming();
        csConfigSetConfig(emptyConfig().get());
        state.ResumeTiming();
    }
    perObject(state, n);
}
BENCHMARK(BM_ConfigApplyCreate)->ArgName("n")->Arg(1000)->Arg(10000)->Arg(100000)->MinTime(2.0)->Unit(benchmark::kMillisecond);

// The same store applied again: every stub is kept and reconfigured.
void BM_ConfigApplyKeep(benchmark::State& state) {
    ModuleStarted started;
    const int64_t n = state.range(0);
    auto config = stubsConfig(n);
    warmUp(config.get());
    csConfigSetConfig(config.get());
    for (auto _ : state) csConfigSetConfig(config.get());
    perObject(state, n);
}
BENCHMARK(BM_ConfigApplyKeep)->ArgName("n")->Arg(1000)->Arg(10000)->Arg(100000)->MinTime(2.0)->Unit(benchmark::kMillisecond);

// Gathering the configuration of n stubs.
void BM_ConfigGather(benchmark::State& state) {
    ModuleStarted started;
    const int64_t n = state.range(0);
    applyAndGather(n);
    for (auto _ : state) csConfigGather();
    perObject(state, n);
}
BENCHMARK(BM_ConfigGather)->ArgName("n")->Arg(1000)->Arg(10000)->Arg(100000)->MinTime(2.0)->Unit(benchmark::kMillisecond);

// Writing the gathered configuration of n stubs to both files.
void BM_ConfigStoreSave(benchmark::State& state) {
    ModuleStarted started;
    const int64_t n = state.range(0);
    applyAndGather(n);
    auto config = adopt(csConfigConfig(nullptr));
    for (auto _ : state)
        if (!cs___ConfigStoreSave(config.get())) state.SkipWithError("save failed");
    perObject(state, n);
}
BENCHMARK(BM_ConfigStoreSave)->ArgName("n")->Arg(1000)->Arg(10000)->Arg(100000)->MinTime(2.0)->Unit(benchmark::kMillisecond);

// Reading it back from the main file.
void BM_ConfigStoreLoad(benchmark::State& state) {
    ModuleStarted started;
    const int64_t n = state.range(0);
    applyAndGather(n);
    if (!cs___ConfigStoreSave(adopt(csConfigConfig(nullptr)).get())) state.SkipWithError("save failed");
    for (auto _ : state) {
        auto loaded = adopt(cs___ConfigStoreLoad());
        if (!loaded) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(loaded.get());
    }
    perObject(state, n);
}
BENCHMARK(BM_ConfigStoreLoad)->ArgName("n")->Arg(1000)->Arg(10000)->Arg(100000)->MinTime(2.0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
