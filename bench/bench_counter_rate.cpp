// Counter and rate operations beside the bare primitives they are built
// on, on one thread and on two threads sharing one counter or rate:
// csCounterModifyValue (value, item and update signal), csRateContribute,
// csRateTryContributeWithLimits (six values and a check), a std::mutex
// with an add, and a std::atomic fetch_add. The rate runs its steps on the
// threaded clock meanwhile, as it would in a server.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <mutex>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"

namespace {

// One counter, one rate and limits shared by every benchmark thread; made
// on first use and kept until the process ends.
struct Shared {
    Shared() {
        cs___StatusItemTypeStartup();
        cs___StatusReporterStartup();
        rep = csStatusReporterCreate(nullptr);
        cnt = csCounterCreateCstr(rep, "benchInUse", -1);
        rate = csRateCreateCstr(rep, "benchRequests", -1);
        lim = csRateLimitsCreate();
        csRateLimitsSetMaxSecond(&lim, INT64_MAX / 2);
        csRateLimitsSetMaxHour(&lim, INT64_MAX / 2);
    }
    CS_STATUS_REPORTER* rep;
    CS_COUNTER* cnt;
    CS_RATE* rate;
    CS_RATE_LIMITS* lim;
    std::mutex mutex;
    int64_t guarded = 0;  // guarded by mutex
    std::atomic<int64_t> atomic{0};
};

Shared& shared() {
    static Shared* s = new Shared;
    return *s;
}

// Raises and lowers in turn, so the value stays near 0 however long it runs.
void BM_CounterModifyValue(benchmark::State& state) {
    Shared& s = shared();
    PB_INT delta = 1;
    for (auto _ : state) {
        csCounterModifyValue(s.cnt, delta);
        delta = -delta;
    }
}
BENCHMARK(BM_CounterModifyValue)->Threads(1)->Threads(2)->UseRealTime();

// What a counter change publishes, alone: the INT item set through the
// reporter (item, trace property, status change and its update signal).
void BM_ReporterSetItemInt(benchmark::State& state) {
    Shared& s = shared();
    auto name = pb::adopt(pbStringCreateFromCstr("benchPublished", -1));
    PB_INT value = 0;
    for (auto _ : state) csStatusReporterSetItemInt(s.rep, name.get(), ++value);
}
BENCHMARK(BM_ReporterSetItemInt)->Threads(1)->Threads(2)->UseRealTime();

void BM_RateContribute(benchmark::State& state) {
    Shared& s = shared();
    for (auto _ : state) csRateContribute(s.rate, 1);
}
BENCHMARK(BM_RateContribute)->Threads(1)->Threads(2)->UseRealTime();

// Every contribution is admitted, so each call computes the six values,
// runs the check and adds.
void BM_RateTryContributeWithLimits(benchmark::State& state) {
    Shared& s = shared();
    for (auto _ : state) benchmark::DoNotOptimize(csRateTryContributeWithLimits(s.rate, s.lim, 1));
}
BENCHMARK(BM_RateTryContributeWithLimits)->Threads(1)->Threads(2)->UseRealTime();

void BM_MutexAdd(benchmark::State& state) {
    Shared& s = shared();
    for (auto _ : state) {
        std::lock_guard<std::mutex> guard(s.mutex);
        s.guarded += 1;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MutexAdd)->Threads(1)->Threads(2)->UseRealTime();

void BM_AtomicFetchAdd(benchmark::State& state) {
    Shared& s = shared();
    for (auto _ : state) benchmark::DoNotOptimize(s.atomic.fetch_add(1));
}
BENCHMARK(BM_AtomicFetchAdd)->Threads(1)->Threads(2)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
