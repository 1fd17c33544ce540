// Hot paths of the base runtime: reference counting, and changes to and
// lookups in containers that another holder shares (structural sharing).
//
// Sections: objects, containers, encoding. Each benchmark names what it
// measures; the /N argument is the number of entries in the container.
// The encoding section measures the store's JSON form beside simdjson's
// bare parse and jansson's and cJSON's load and dump of the same document.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include <cjson/cJSON.h>
#include <jansson.h>
#define SIMDJSON_EXCEPTIONS 0
#include <simdjson.h>

#include "pb/pb.h"
#include "pb/pb_store_encoding.h"
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


// ---------------------------------------------------------------- encoding

// A store of 10k sub-stores, each shaped like a configured object.
pb::Ref<PB_STORE> configLikeStore() {
    auto objects = pb::adopt(pbStoreCreate());
    for (int i = 0; i < 10000; ++i) {
        auto object = pb::adopt(pbStoreCreate());
        auto sortName = pb::adopt(pbStringCreateFromCstr("CS_CONDITION", -1));
        pbStoreSetValueCstr(object.out(), "sort", -1, sortName.get());
        pbStoreSetValueBoolCstr(object.out(), "visible", -1, i % 3 != 0);
        pbStoreSetValueIntCstr(object.out(), "count", -1, PB_INT(i) * 7919);
        auto config = pb::adopt(pbStoreCreate());
        auto comment = pb::adopt(pbStringCreateFromFormatCstr("object \"%i\" \xC3\xA9t\xC3\xA9", -1, PB_INT(i)));
        pbStoreSetValueCstr(config.out(), "comment", -1, comment.get());
        pbStoreSetValueIntCstr(config.out(), "holdOnMilliseconds", -1, 1500);
        pbStoreSetStoreCstr(object.out(), "config", -1, config.get());
        char key[32];
        std::snprintf(key, sizeof key, "object-%05d", i);
        pbStoreSetStoreCstr(objects.out(), key, -1, object.get());
    }
    return objects;
}

const std::string& configLikeDocument() {
    static const std::string doc = [] {
        auto buffer = pb::adopt(pbStoreEncode(configLikeStore().get(), nullptr));
        return std::string(reinterpret_cast<const char*>(pbBufferBacking(buffer.get())),
                           size_t(pbBufferLength(buffer.get())));
    }();
    return doc;
}

void BM_StoreEncode10kSubStores(benchmark::State& state) {
    auto store = configLikeStore();
    for (auto _ : state) {
        PB_BUFFER* b = pbStoreEncode(store.get(), nullptr);
        benchmark::DoNotOptimize(b);
        pbBufferRelease(b);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(configLikeDocument().size()));
}
BENCHMARK(BM_StoreEncode10kSubStores)->Unit(benchmark::kMillisecond);

void BM_StoreDecode10kSubStores(benchmark::State& state) {
    const std::string& doc = configLikeDocument();
    for (auto _ : state) {
        PB_STORE* s = pbStoreTryDecodeBytes(doc.data(), PB_INT(doc.size()), nullptr);
        if (!s) state.SkipWithError("decode failed");
        pbStoreRelease(s);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
}
BENCHMARK(BM_StoreDecode10kSubStores)->Unit(benchmark::kMillisecond);

// simdjson's parse alone (no values leave its tape): the floor for decoding.
void BM_SimdjsonParse10kSubStores(benchmark::State& state) {
    const std::string& doc = configLikeDocument();
    simdjson::padded_string padded(doc);
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element root;
        if (parser.parse(padded).get(root) != simdjson::SUCCESS) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(root);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
}
BENCHMARK(BM_SimdjsonParse10kSubStores)->Unit(benchmark::kMillisecond);

void BM_JanssonLoad10kSubStores(benchmark::State& state) {
    const std::string& doc = configLikeDocument();
    for (auto _ : state) {
        json_error_t error;
        json_t* root = json_loadb(doc.data(), doc.size(), 0, &error);
        if (!root) state.SkipWithError("load failed");
        json_decref(root);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
}
BENCHMARK(BM_JanssonLoad10kSubStores)->Unit(benchmark::kMillisecond);

void BM_JanssonDump10kSubStores(benchmark::State& state) {
    const std::string& doc = configLikeDocument();
    json_error_t error;
    json_t* root = json_loadb(doc.data(), doc.size(), 0, &error);
    for (auto _ : state) {
        char* text = json_dumps(root, JSON_INDENT(2) | JSON_PRESERVE_ORDER);
        benchmark::DoNotOptimize(text);
        free(text);
    }
    json_decref(root);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
}
BENCHMARK(BM_JanssonDump10kSubStores)->Unit(benchmark::kMillisecond);

void BM_CjsonParse10kSubStores(benchmark::State& state) {
    const std::string& doc = configLikeDocument();
    for (auto _ : state) {
        cJSON* root = cJSON_ParseWithLength(doc.data(), doc.size());
        if (!root) state.SkipWithError("parse failed");
        cJSON_Delete(root);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
}
BENCHMARK(BM_CjsonParse10kSubStores)->Unit(benchmark::kMillisecond);

void BM_CjsonPrint10kSubStores(benchmark::State& state) {
    const std::string& doc = configLikeDocument();
    cJSON* root = cJSON_ParseWithLength(doc.data(), doc.size());
    for (auto _ : state) {
        char* text = cJSON_Print(root);
        benchmark::DoNotOptimize(text);
        cJSON_free(text);
    }
    cJSON_Delete(root);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
}
BENCHMARK(BM_CjsonPrint10kSubStores)->Unit(benchmark::kMillisecond);

}  // namespace


BENCHMARK_MAIN();
