// Conditions: (a) on the threaded clock with hold time 0, the time from a
// status item set to the condition's update signal, as median and 99th
// percentile over 2,000 switches; (b) one module status item watched by
// 1, 100 and 10,000 conditions, the time for all of them to settle after
// one change (manual clock, so the figure is the work and not the
// scheduling); (c) updating an evaluation of a ruleset of 1, 10 and 100
// rules that all read one module's status.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "cs/condition/cs_condition_ruleset_eval.h"
#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "pb/pb_runtime_clock.h"
#include "pb/pb_store_encoding.h"

namespace {

using Clock = std::chrono::steady_clock;

const PB_MODULE_RECORD probeRecord = {2, "vorlix", "Vorlix Server", 4, 14, 21, "", "", "", "probe", "Probe", "1.0",
                                      "pb", ""};
PB_MODULE_DEFINE(probeModule, &probeRecord, nullptr, nullptr, nullptr, nullptr);
CS_STATUS_REPORTER* probeReporter = nullptr;
CS_STATUS* probeStatus(PB_OBJ*) { return csStatusReporterStatus(probeReporter); }

// The runtime with "cs" and the module "probe" for one benchmark, on the
// manual or the threaded clock.
struct Session {
    explicit Session(bool manual) {
        pbRuntimeSetManualClock(manual ? PB_TRUE : PB_FALSE);
        pbRuntimeStart(nullptr);
        pbRuntimeLoadModuleCstr("cs", -1);
        probeReporter = csStatusReporterCreate(nullptr);
        backend = pb::adopt(csModuleBackendCreate(&probeModule, nullptr, nullptr, nullptr, probeStatus, nullptr));
    }
    ~Session() {
        backend.reset();
        csStatusReporterRelease(probeReporter);
        pbRuntimeStop();
        pbRuntimeExecutorShutdown();
    }
    pb::Ref<CS_MODULE_BACKEND> backend;
};


pb::Ref<CS_CONDITION_RULESET> ruleset(const std::string& json) {
    auto store = pb::adopt(pbStoreTryDecodeBytes(json.data(), PB_INT(json.size()), nullptr));
    return pb::adopt(csConditionRulesetRestore(store.get()));
}

// A rule: the probe item "load" is greater than limit.
std::string loadAbove(int limit) {
    return R"({"operator":"CS_CONDITION_RULE_OPERATOR_INT_GT","operandA":{"moduleName":"probe","statusItemName":"load"},)"
           R"("operandB":{"defaultValue":")" + std::to_string(limit) + "\"}}";
}

pb::Ref<CS_CONDITION_OPTIONS> holdZero(int limit) {
    auto opt = pb::adopt(csConditionOptionsCreate());
    csConditionOptionsSetRuleset(opt.out(), ruleset("{\"rules\":[" + loadAbove(limit) + "]}").get());
    csConditionOptionsSetOnHoldTime(opt.out(), 0);
    csConditionOptionsSetOffHoldTime(opt.out(), 0);
    return opt;
}

void setLoad(PB_INT value) { csStatusReporterSetItemCstrInt(probeReporter, "load", -1, value); }

// (a) Each switch: the probe's item flips, and the condition's update
// signal stamps the time on the thread that asserts it. Between switches
// the benchmark waits a millisecond, so that the hold (0 ms) is over and
// the condition listens again before the next flip.
void BM_ConditionSwitchLatency(benchmark::State& state) {
    const int switches = int(state.range(0));
    std::vector<double> micros;
    for (auto _ : state) {
        Session session(false);
        setLoad(0);
        auto cond = pb::adopt(csConditionCreate(holdZero(0).get(), nullptr));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        struct Stamp {
            std::atomic<bool> fired{false};
            Clock::time_point at;
        } stamp;
        auto signalable = pb::adopt(pbSignalableCreateWithCallback(
            [](void* c) {
                auto* s = static_cast<Stamp*>(c);
                s->at = Clock::now();
                s->fired.store(true, std::memory_order_release);
            },
            &stamp));
        for (int i = 1; i <= switches; ++i) {
            stamp.fired = false;
            csConditionUpdateAddSignalable(cond.get(), signalable.get());
            auto start = Clock::now();
            setLoad(i % 2);
            while (!stamp.fired.load(std::memory_order_acquire)) std::this_thread::yield();
            micros.push_back(std::chrono::duration<double, std::micro>(stamp.at - start).count());
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
    state.counters["switches"] = double(micros.size());
}
BENCHMARK(BM_ConditionSwitchLatency)->Arg(2000)->Iterations(1)->Unit(benchmark::kMillisecond);

// (b) range(0) conditions on one item; each iteration flips it and runs
// every process (and the 0 ms hold timers) until all have settled.
void BM_ConditionsSettle(benchmark::State& state) {
    Session session(true);
    setLoad(0);
    auto opt = holdZero(0);
    std::vector<pb::Ref<CS_CONDITION>> conds;
    for (int64_t i = 0; i < state.range(0); ++i) conds.push_back(pb::adopt(csConditionCreate(opt.get(), nullptr)));
    pbRuntimeManualRunPending();
    PB_INT value = 0;
    for (auto _ : state) {
        setLoad(value ^= 1);
        pbRuntimeManualRunPending();
    }
    if (csConditionValue(conds.back().get()) != (value != 0)) state.SkipWithError("not settled");
    state.counters["per_condition_ns"] =
        benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}
BENCHMARK(BM_ConditionsSettle)->Arg(1)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// (c) An AND of range(0) rules that are all true: the update refreshes the
// module's status and evaluates every rule.
void BM_RulesetEvalUpdate(benchmark::State& state) {
    Session session(true);
    setLoad(1000);
    std::string rules;
    for (int64_t i = 0; i < state.range(0); ++i) rules += (i ? "," : "") + loadAbove(int(i));
    auto eval = pb::adopt(cs___ConditionRulesetEvalCreate(ruleset("{\"rules\":[" + rules + "]}").get()));
    for (auto _ : state) benchmark::DoNotOptimize(cs___ConditionRulesetEvalUpdate(eval.get()));
    if (!cs___ConditionRulesetEvalValue(eval.get())) state.SkipWithError("ruleset is false");
}
BENCHMARK(BM_RulesetEvalUpdate)->Arg(1)->Arg(10)->Arg(100);

}  // namespace

BENCHMARK_MAIN();
