// Status item sets: a reporter's set with 0, 1 and 100 listeners waiting on
// its status, and a status's set while an observer holds a snapshot of 10
// or 1000 items (so that every set must copy around the shared entries).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"

namespace {

void countUp(void* context) { ++*static_cast<int64_t*>(context); }

// The module-wide state the status classes rely on, for one benchmark.
struct StatusStarted {
    StatusStarted() {
        cs___StatusItemTypeStartup();
        cs___StatusReporterStartup();
    }
    ~StatusStarted() {
        cs___StatusReporterShutdown();
        cs___StatusItemTypeShutdown();
    }
};

struct Listeners {
    explicit Listeners(int64_t n) {
        for (int64_t i = 0; i < n; ++i) all.push_back(pb::adopt(pbSignalableCreateWithCallback(countUp, &heard)));
    }
    void addTo(CS_STATUS* stat) {
        for (auto& s : all) csStatusUpdateAddSignalable(stat, s.get());
    }
    int64_t heard = 0;
    std::vector<pb::Ref<PB_SIGNALABLE>> all;
};

// csStatusReporterSetItemCstrInt with range(0) listeners on the status's
// update signal. The listeners are added again before every set, outside
// the measured time: each set is timed on its own with the steady clock
// (manual time, since pausing the benchmark's clock costs more than a set),
// so the figure is the set alone, including the notification of every
// listener, plus two clock reads.
void BM_ReporterSetItem(benchmark::State& state) {
    StatusStarted started;
    auto rep = pb::adopt(csStatusReporterCreate(nullptr));
    auto stat = pb::adopt(csStatusReporterStatus(rep.get()));
    Listeners listeners(state.range(0));
    PB_INT value = 0;
    for (auto _ : state) {
        listeners.addTo(stat.get());
        auto start = std::chrono::steady_clock::now();
        csStatusReporterSetItemCstrInt(rep.get(), "benchValue", -1, ++value);
        auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.counters["notified"] = benchmark::Counter(double(listeners.heard), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ReporterSetItem)->Arg(0)->Arg(1)->Arg(100)->UseManualTime();

// The same set together with adding the listeners again, as an observer
// that follows every change pays it; no pause inside the loop.
void BM_ReporterSetItemAndReAdd(benchmark::State& state) {
    StatusStarted started;
    auto rep = pb::adopt(csStatusReporterCreate(nullptr));
    auto stat = pb::adopt(csStatusReporterStatus(rep.get()));
    Listeners listeners(state.range(0));
    PB_INT value = 0;
    for (auto _ : state) {
        listeners.addTo(stat.get());
        csStatusReporterSetItemCstrInt(rep.get(), "benchValue", -1, ++value);
    }
    state.counters["notified"] = benchmark::Counter(double(listeners.heard), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ReporterSetItemAndReAdd)->Arg(0)->Arg(1)->Arg(100);

// cs___StatusSetItem on a status of range(0) items. With range(1) set, an
// observer takes a snapshot before every set and holds it across the set,
// so the status's collection is always shared when it changes; without it
// the collection stays private and changes in place.
void BM_StatusSetItemWithSnapshot(benchmark::State& state) {
    StatusStarted started;
    auto stat = pb::adopt(cs___StatusCreate());
    std::vector<pb::Ref<PB_STRING>> names;
    for (int64_t i = 0; i < state.range(0); ++i) {
        names.push_back(pb::adopt(pbStringCreateFromCstr(("item" + std::to_string(i)).c_str(), -1)));
        auto item = pb::adopt(csStatusItemCreateInt(i));
        cs___StatusSetItem(stat.get(), names.back().get(), item.get());
    }
    const bool holdSnapshot = state.range(1) != 0;
    size_t next = 0;
    pb::Ref<CS_STATUS_ITEMS> snapshot;
    for (auto _ : state) {
        if (holdSnapshot) snapshot = pb::adopt(csStatusItems(stat.get()));
        auto item = pb::adopt(csStatusItemCreateInt(PB_INT(next)));
        cs___StatusSetItem(stat.get(), names[next].get(), item.get());
        next = (next + 1) % names.size();
    }
}
BENCHMARK(BM_StatusSetItemWithSnapshot)->ArgNames({"items", "snapshot"})->ArgsProduct({{10, 1000}, {0, 1}});

}  // namespace

BENCHMARK_MAIN();
