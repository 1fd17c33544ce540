// Object table sets: N distinct records entered one by one, each change
// published at once or all of them inside one update bracket, with no
// observer or with 10 object observers registered, and with 10 observers
// of each kind (object, multi, domain) spread over the names.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "pb/pb_runtime_clock.h"
#include "bench_module_started.hpp"

namespace {

PB_SORT_DEFINE(benchThingSort, &pb___module, "BENCH_THING", nullptr, nullptr, nullptr);

using bench::ModuleStarted;

// N records with distinct names and distinct objects, made before timing.
std::vector<pb::Ref<CS_OBJECT_RECORD>> makeRecords(int64_t n) {
    std::vector<pb::Ref<CS_OBJECT_RECORD>> records;
    records.reserve(size_t(n));
    for (int64_t i = 0; i < n; ++i) {
        auto name = pb::adopt(pbStringCreateFromFormatCstr("object%i", -1, PB_INT(i)));
        auto object = pb::adopt(pb___ObjCreate(sizeof(PB_OBJ), &benchThingSort));
        records.push_back(pb::adopt(csObjectRecordCreate(name.get(), object.get())));
    }
    return records;
}

// Object observers of the first `count` names, registered with the table.
std::vector<pb::Ref<CS_OBJECT_OBSERVER>> makeObservers(int64_t count) {
    std::vector<pb::Ref<CS_OBJECT_OBSERVER>> observers;
    for (int64_t i = 0; i < count; ++i) {
        auto name = pb::adopt(pbStringCreateFromFormatCstr("object%i", -1, PB_INT(i)));
        observers.push_back(pb::adopt(csObjectObserverCreate()));
        csObjectObserverSetObservedName(observers.back().get(), name.get());
    }
    return observers;
}

// The timed loop of both benchmarks: range(0) records set into an empty
// table per iteration, inside one update bracket when range(1) = 1 (its end
// is timed too). Emptying the table between iterations is not timed. The
// "per set" counter is the time of one csObjectTableSet.
void timeSets(benchmark::State& state) {
    const int64_t n = state.range(0);
    const bool bracket = state.range(1) != 0;
    auto records = makeRecords(n);
    for (auto _ : state) {
        if (bracket) cs___ObjectTableUpdateBegin();
        for (auto& rec : records) csObjectTableSet(rec.get());
        if (bracket) cs___ObjectTableUpdateEnd();

        state.PauseTiming();
        cs___ObjectTableUpdateBegin();
        for (auto& rec : records) {
            auto object = pb::adopt(csObjectRecordObject(rec.get()));
            csObjectTableDelByObject(object.get());
        }
        cs___ObjectTableUpdateEnd();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
    state.counters["per set"] =
        benchmark::Counter(double(state.iterations()) * double(n), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Sets into the table (see timeSets) with range(2) object observers
// registered.
void BM_ObjectTableSet(benchmark::State& state) {
    ModuleStarted started;
    auto observers = makeObservers(state.range(2));
    timeSets(state);
}
BENCHMARK(BM_ObjectTableSet)
    ->ArgNames({"n", "bracket", "observers"})
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}, {0, 10}})
    ->Unit(benchmark::kMillisecond);

// Ten observers of one kind (range(2): 0 object, 1 multi, 2 domain) whose
// names are spread over all n names: an object observer follows one name,
// a multi or domain observer ten. Every publication hands each of them the
// new dictionary and re-evaluates it.
struct ObserversOfKind {
    ObserversOfKind(int64_t kind, int64_t n) {
        for (int64_t o = 0; o < 10; ++o) {
            if (kind == 0) {
                objects.push_back(pb::adopt(csObjectObserverCreate()));
                csObjectObserverSetObservedName(objects.back().get(), spreadName(n, o, 0).get());
                continue;
            }
            auto names = pb::adopt(pbVectorCreate());
            for (int64_t k = 0; k < 10; ++k) pbVectorAppendObj(names.out(), pbStringObj(spreadName(n, o, k).get()));
            if (kind == 1) {
                multis.push_back(pb::adopt(csObjectMultiObserverCreate()));
                csObjectMultiObserverSetObservedNamesVector(multis.back().get(), names.get());
            } else {
                domains.push_back(pb::adopt(csObjectDomainObserverCreate()));
                csObjectDomainObserverSetObservedNamesVector(domains.back().get(), names.get());
            }
        }
    }
    // The k-th name of observer o, one of 100 names evenly spread over n.
    static pb::Ref<PB_STRING> spreadName(int64_t n, int64_t o, int64_t k) {
        PB_INT index = PB_INT((o * 10 + k) * n / 100);
        return pb::adopt(pbStringCreateFromFormatCstr("object%i", -1, index));
    }
    std::vector<pb::Ref<CS_OBJECT_OBSERVER>> objects;
    std::vector<pb::Ref<CS_OBJECT_MULTI_OBSERVER>> multis;
    std::vector<pb::Ref<CS_OBJECT_DOMAIN_OBSERVER>> domains;
};

// As BM_ObjectTableSet, with ten observers of the kind range(2).
void BM_ObjectTableSetObserverKind(benchmark::State& state) {
    ModuleStarted started;
    ObserversOfKind observers(state.range(2), state.range(0));
    timeSets(state);
}
BENCHMARK(BM_ObjectTableSetObserverKind)
    ->ArgNames({"n", "bracket", "kind"})
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
