// Executor and signal hot paths: the latency from scheduling a process to
// its run on the threaded executor, and the cost of asserting a signal with
// 1, 10 and 1000 listeners (items/s counts notified listeners).
#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"

namespace {

struct Handshake {
    std::mutex lock;
    std::condition_variable ran;
    bool done = false;
};

void markRan(PB_OBJ* object) {
    auto* h = reinterpret_cast<Handshake*>(object);
    std::lock_guard<std::mutex> guard(h->lock);
    h->done = true;
    h->ran.notify_one();
}

// One iteration: schedule, then wait until a worker thread has run the
// process. The figure is the whole round trip (wake a worker, run, wake the
// scheduling thread).
void BM_ScheduleToRun(benchmark::State& state) {
    pbRuntimeSetManualClock(PB_FALSE);
    Handshake h;
    auto proc = pb::adopt(pb___ProcessCreate(0, markRan, reinterpret_cast<PB_OBJ*>(&h), "bench"));
    for (auto _ : state) {
        pbProcessSchedule(proc.get());
        std::unique_lock<std::mutex> lock(h.lock);
        h.ran.wait(lock, [&] { return h.done; });
        h.done = false;
    }
    pbProcessHalt(proc.get());
    pbRuntimeExecutorShutdown();
}
BENCHMARK(BM_ScheduleToRun)->UseRealTime();

void countUp(void* context) { ++*static_cast<int64_t*>(context); }

// pbSignalAssert with range(0) callback signalables. Each iteration asserts
// a batch of signals prepared outside the measured time; the iteration time
// is the batch's, and the counter s_per_assert gives one assertion (in seconds).
void BM_SignalAssert(benchmark::State& state) {
    const auto listeners = size_t(state.range(0));
    const size_t batch = listeners >= 1000 ? 16 : 256;
    int64_t notified = 0;
    std::vector<pb::Ref<PB_SIGNALABLE>> items;
    for (size_t i = 0; i < listeners; ++i) items.push_back(pb::adopt(pbSignalableCreateWithCallback(countUp, &notified)));
    std::vector<pb::Ref<PB_SIGNAL>> signals(batch);
    for (auto _ : state) {
        for (auto& sig : signals) {
            sig = pb::adopt(pbSignalCreate());
            for (auto& item : items) pbSignalAddSignalable(sig.get(), item.get());
        }
        auto start = std::chrono::steady_clock::now();
        for (auto& sig : signals) pbSignalAssert(sig.get());
        std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
    }
    benchmark::DoNotOptimize(notified);
    state.counters["s_per_assert"] = benchmark::Counter(
        double(batch), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(batch * listeners));
}
BENCHMARK(BM_SignalAssert)->Arg(1)->Arg(10)->Arg(1000)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
