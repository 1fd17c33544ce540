// Scheduler requests: csSchedulerClientTrySchedule while range(0) other
// clients hold reservations (one slot each, every other millisecond). The
// measured client asks for a free slot between them (range(1) = 0) or for a
// held slot with one millisecond of later tolerance, so that the scheduler
// steps to the free neighbour (range(1) = 1). Each request first gives up
// the client's previous reservation, as a rescheduling owner's does. The
// clock is the manual one and stands still, so no reservation expires.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "pb/pb_runtime_clock.h"
#include "bench_module_started.hpp"

namespace {

using bench::ModuleStarted;

void BM_SchedulerClientTrySchedule(benchmark::State& state) {
    ModuleStarted started;
    const int64_t held = state.range(0);
    const bool stepToNeighbour = state.range(1) != 0;
    {
        auto opt = pb::adopt(csSchedulerOptionsCreate());  // one event per millisecond: 1 ms slots
        auto sched = pb::adopt(csSchedulerCreate(opt.get(), nullptr));
        std::vector<pb::Ref<CS_SCHEDULER_CLIENT>> holders;
        holders.reserve(size_t(held));
        for (int64_t i = 0; i < held; ++i) {
            holders.push_back(pb::adopt(csSchedulerClientCreate(sched.get(), nullptr)));
            if (!csSchedulerClientTrySchedule(holders.back().get(), 0, 1000 + 2 * i, 0, 0))
                state.SkipWithError("a holder found no slot");
        }
        auto client = pb::adopt(csSchedulerClientCreate(sched.get(), nullptr));
        int64_t k = 0;
        for (auto _ : state) {
            const PB_INT ms = 1000 + 2 * (k++ % held) + (stepToNeighbour ? 0 : 1);
            if (!csSchedulerClientTrySchedule(client.get(), 0, ms, 0, stepToNeighbour ? 1 : 0))
                state.SkipWithError("no slot granted");
        }
        state.counters["held"] = double(held);
    }
}

BENCHMARK(BM_SchedulerClientTrySchedule)
    ->ArgsProduct({{10, 1000, 10000}, {0, 1}})
    ->ArgNames({"held", "step"})
    ->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
