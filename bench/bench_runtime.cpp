// Hot paths of the base runtime: reference counting, and changes to and
// lookups in containers that another holder shares (structural sharing).
//
// Sections: objects, containers. Each benchmark names what it measures;
// the /N argument is the number of entries in the container.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"

namespace {

// ---------------------------------------------------------------- objects

// One pbObjRetain + pbObjRelease pair on a live object.
void BM_ObjRetainRelease(benchmark::State& state) {
    auto s = pb::adopt(pbStringCreateFromCstr("x", -1));
    PB_OBJ* obj = pbStringObj(s.get());
    for (auto _ : state) {
        pbObjRetain(obj);
        pbObjRelease(obj);
    }
}
BENCHMARK(BM_ObjRetainRelease);

// ------------------------------------------------------------- containers

// "key0000000", "key0000001", ...: n keys in key order.
std::vector<std::string> makeKeys(PB_INT n) {
    std::vector<std::string> keys;
    char text[32];
    for (PB_INT i = 0; i < n; ++i) {
        std::snprintf(text, sizeof text, "key%07lld", static_cast<long long>(i));
        keys.emplace_back(text);
    }
    return keys;
}

// Visits keys in a scattered order, so that successive changes take
// different paths through the tree.
size_t nextIndex(size_t i, size_t n) { return (i + 7919) % n; }

struct DictFixture {
    explicit DictFixture(PB_INT n) : dict(pb::adopt(pbDictCreate())) {
        for (const auto& k : makeKeys(n)) keys.push_back(pb::adopt(pbStringCreateFromCstr(k.c_str(), -1)));
        for (size_t i = 0; i < keys.size(); ++i) pbDictSetStringKey(dict.out(), keys[i].get(), values[i % 2].obj());
    }
    std::vector<pb::Ref<PB_STRING>> keys;
    pb::Ref<PB_STRING> values[2] = {pb::adopt(pbStringCreateFromCstr("a", -1)),
                                    pb::adopt(pbStringCreateFromCstr("b", -1))};
    pb::Ref<PB_DICT> dict;
};

// Sets one existing string key to a new value while a second handle shares
// the dictionary: the set copies one root-to-leaf path. Dropping the second
// handle then frees the replaced path, so each iteration is one full
// copy-on-write change in steady state.
void BM_DictSharedChange(benchmark::State& state) {
    DictFixture f(state.range(0));
    size_t i = 0;
    PB_INT n = 0;
    for (auto _ : state) {
        pb::Ref<PB_DICT> other = f.dict;
        pbDictSetStringKey(f.dict.out(), f.keys[i].get(), f.values[++n % 2].obj());
        i = nextIndex(i, f.keys.size());
    }
}
BENCHMARK(BM_DictSharedChange)->Arg(1000)->Arg(10000)->Arg(100000);

// The same change on a dictionary nobody else holds (changed in place).
void BM_DictChange(benchmark::State& state) {
    DictFixture f(state.range(0));
    size_t i = 0;
    PB_INT n = 0;
    for (auto _ : state) {
        pbDictSetStringKey(f.dict.out(), f.keys[i].get(), f.values[++n % 2].obj());
        i = nextIndex(i, f.keys.size());
    }
}
BENCHMARK(BM_DictChange)->Arg(1000)->Arg(10000)->Arg(100000);

// pbDictStringKey of an existing key (and the release of the value).
void BM_DictLookup(benchmark::State& state) {
    DictFixture f(state.range(0));
    size_t i = 0;
    for (auto _ : state) {
        pbObjRelease(pbDictStringKey(f.dict.get(), f.keys[i].get()));
        i = nextIndex(i, f.keys.size());
    }
}
BENCHMARK(BM_DictLookup)->Arg(1000)->Arg(10000)->Arg(100000);

struct StoreFixture {
    explicit StoreFixture(PB_INT n) : keys(makeKeys(n)), store(pb::adopt(pbStoreCreate())) {
        for (size_t i = 0; i < keys.size(); ++i) pbStoreSetValueIntCstr(store.out(), keys[i].c_str(), -1, PB_INT(i));
    }
    std::vector<std::string> keys;
    pb::Ref<PB_STORE> store;
};

// pbStoreSetValueIntCstr of an existing key while a second handle shares
// the store (see BM_DictSharedChange).
void BM_StoreSharedChange(benchmark::State& state) {
    StoreFixture f(state.range(0));
    size_t i = 0;
    PB_INT n = 0;
    for (auto _ : state) {
        pb::Ref<PB_STORE> other = f.store;
        pbStoreSetValueIntCstr(f.store.out(), f.keys[i].c_str(), -1, ++n);
        i = nextIndex(i, f.keys.size());
    }
}
BENCHMARK(BM_StoreSharedChange)->Arg(1000)->Arg(10000)->Arg(100000);

// The same change on a store nobody else holds (changed in place).
void BM_StoreChange(benchmark::State& state) {
    StoreFixture f(state.range(0));
    size_t i = 0;
    PB_INT n = 0;
    for (auto _ : state) {
        pbStoreSetValueIntCstr(f.store.out(), f.keys[i].c_str(), -1, ++n);
        i = nextIndex(i, f.keys.size());
    }
}
BENCHMARK(BM_StoreChange)->Arg(1000)->Arg(10000)->Arg(100000);

// pbStoreValueIntCstr of an existing key.
void BM_StoreLookup(benchmark::State& state) {
    StoreFixture f(state.range(0));
    size_t i = 0;
    PB_INT value = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(pbStoreValueIntCstr(f.store.get(), f.keys[i].c_str(), -1, &value));
        i = nextIndex(i, f.keys.size());
    }
}
BENCHMARK(BM_StoreLookup)->Arg(1000)->Arg(10000)->Arg(100000);

}  // namespace

BENCHMARK_MAIN();
