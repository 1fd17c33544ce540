// Hot paths of the base runtime: reference counting, and changes to and
// lookups in containers that another holder shares (structural sharing).
//
// Sections: objects, containers, encoding. Each benchmark names what it
// measures; the /N argument is the number of entries in the container.
// Peers run in the same program, so that their ratios hold on a busy
// machine: std::map and absl::btree_map of std::string keys beside stores
// and dictionaries, and for the JSON form simdjson's bare parse, RapidJSON's
// DOM parse and jansson's and cJSON's load and dump of the same documents
// (10k sub-stores, and the 100k-object configuration of bench_host_cycle).
#include <benchmark/benchmark.h>
#include <malloc.h>

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

#include "bench_config_document.hpp"

#if VORLIX_BENCH_HAVE_RAPIDJSON
#include <rapidjson/document.h>
#endif
#if VORLIX_BENCH_HAVE_ABSL
#include <absl/container/btree_map.h>
#endif
#include <map>

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

// Runs op(i) once per iteration, visiting the n keys in a scattered order
// so that successive changes take different paths through the tree.
template <class Op>
void forScatteredKeys(benchmark::State& state, size_t n, Op op) {
    size_t i = 0;
    for (auto _ : state) {
        op(i);
        i = (i + 7919) % n;
    }
}

void containerSizes(benchmark::internal::Benchmark* b) {
    for (int n : {10, 100, 1000, 10000, 100000}) b->Arg(n);
}

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
    PB_INT n = 0;
    forScatteredKeys(state, f.keys.size(), [&](size_t i) {
        pb::Ref<PB_DICT> other = f.dict;
        pbDictSetStringKey(f.dict.out(), f.keys[i].get(), f.values[++n % 2].obj());
    });
}
BENCHMARK(BM_DictSharedChange)->Apply(containerSizes);

// The same change on a dictionary nobody else holds (changed in place).
void BM_DictChange(benchmark::State& state) {
    DictFixture f(state.range(0));
    PB_INT n = 0;
    forScatteredKeys(state, f.keys.size(), [&](size_t i) {
        pbDictSetStringKey(f.dict.out(), f.keys[i].get(), f.values[++n % 2].obj());
    });
}
BENCHMARK(BM_DictChange)->Apply(containerSizes);

// pbDictStringKey of an existing key (and the release of the value).
void BM_DictLookup(benchmark::State& state) {
    DictFixture f(state.range(0));
    forScatteredKeys(state, f.keys.size(), [&](size_t i) {
        pbObjRelease(pbDictStringKey(f.dict.get(), f.keys[i].get()));
    });
}
BENCHMARK(BM_DictLookup)->Apply(containerSizes);

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
    PB_INT n = 0;
    forScatteredKeys(state, f.keys.size(), [&](size_t i) {
        pb::Ref<PB_STORE> other = f.store;
        pbStoreSetValueIntCstr(f.store.out(), f.keys[i].c_str(), -1, ++n);
    });
}
BENCHMARK(BM_StoreSharedChange)->Apply(containerSizes);

// The same change on a store nobody else holds (changed in place).
void BM_StoreChange(benchmark::State& state) {
    StoreFixture f(state.range(0));
    PB_INT n = 0;
    forScatteredKeys(state, f.keys.size(), [&](size_t i) {
        pbStoreSetValueIntCstr(f.store.out(), f.keys[i].c_str(), -1, ++n);
    });
}
BENCHMARK(BM_StoreChange)->Apply(containerSizes);

// pbStoreValueIntCstr of an existing key.
void BM_StoreLookup(benchmark::State& state) {
    StoreFixture f(state.range(0));
    PB_INT value = 0;
    forScatteredKeys(state, f.keys.size(), [&](size_t i) {
        benchmark::DoNotOptimize(pbStoreValueIntCstr(f.store.get(), f.keys[i].c_str(), -1, &value));
    });
}
BENCHMARK(BM_StoreLookup)->Apply(containerSizes);

// Peers: an ordered map from std::string keys to int64 values, filled with
// the same keys. Lookups take a std::string_view (as the store's take a
// C string); changes assign to an existing key. Neither shares structure:
// a copy costs O(n), so there is no shared-change counterpart.
template <class Map>
struct MapFixture {
    explicit MapFixture(PB_INT n) : keys(makeKeys(n)) {
        for (size_t i = 0; i < keys.size(); ++i) map.emplace(keys[i], int64_t(i));
    }
    std::vector<std::string> keys;
    Map map;
};

template <class Map>
void BM_MapLookup(benchmark::State& state) {
    MapFixture<Map> f(state.range(0));
    forScatteredKeys(state, f.keys.size(), [&](size_t i) {
        auto it = f.map.find(std::string_view(f.keys[i]));
        benchmark::DoNotOptimize(it->second);
    });
}

template <class Map>
void BM_MapChange(benchmark::State& state) {
    MapFixture<Map> f(state.range(0));
    int64_t n = 0;
    forScatteredKeys(state, f.keys.size(), [&](size_t i) {
        f.map.find(std::string_view(f.keys[i]))->second = ++n;
    });
}

using StdMap = std::map<std::string, int64_t, std::less<>>;
BENCHMARK_TEMPLATE(BM_MapLookup, StdMap)->Apply(containerSizes);
BENCHMARK_TEMPLATE(BM_MapChange, StdMap)->Apply(containerSizes);
#if VORLIX_BENCH_HAVE_ABSL
using AbslBtreeMap = absl::btree_map<std::string, int64_t, std::less<>>;
BENCHMARK_TEMPLATE(BM_MapLookup, AbslBtreeMap)->Apply(containerSizes);
BENCHMARK_TEMPLATE(BM_MapChange, AbslBtreeMap)->Apply(containerSizes);
#endif

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

// The configuration of 100k stub objects that bench_host_cycle runs the host on.
const std::string& config100kDocument() {
    static const std::string doc = bench::configDocument(100000);
    return doc;
}

using Document = const std::string& (*)();

void bytesProcessed(benchmark::State& state, const std::string& doc) {
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
}

// Every peer frees the tree it built inside the timed loop (simdjson's bare
// parse, the floor, keeps its parser). A decode of the
// 100k document takes tens to hundreds of milliseconds, so it gets a
// warm-up (the first run pays for the process's fresh pages) and time
// enough for several runs, alike for all peers.
#define DOCUMENTS(fn)                                                                                   \
    BENCHMARK_CAPTURE(fn, 10kSubStores, &configLikeDocument)->Unit(benchmark::kMillisecond);            \
    BENCHMARK_CAPTURE(fn, 100kObjects, &config100kDocument)                                             \
        ->Unit(benchmark::kMillisecond)                                                                 \
        ->MinWarmUpTime(0.5)                                                                            \
        ->MinTime(2.0)

void BM_StoreEncode(benchmark::State& state, Document document) {
    const std::string& doc = document();
    auto store = pb::adopt(pbStoreTryDecodeBytes(doc.data(), PB_INT(doc.size()), nullptr));
    for (auto _ : state) {
        PB_BUFFER* b = pbStoreEncode(store.get(), nullptr);
        benchmark::DoNotOptimize(b);
        pbBufferRelease(b);
    }
    bytesProcessed(state, doc);
}
DOCUMENTS(BM_StoreEncode);

// From a buffer, as files are read: its spare room lets the parser read the
// bytes in place (pbStoreTryDecodeBytes would copy them first).
void BM_StoreDecode(benchmark::State& state, Document document) {
    const std::string& doc = document();
    auto buffer = pb::adopt(pbBufferCreate());
    pbBufferAppendBytes(buffer.out(), doc.data(), PB_INT(doc.size()));
    for (auto _ : state) {
        PB_STORE* s = pbStoreTryDecode(buffer.get(), nullptr);
        if (!s) state.SkipWithError("decode failed");
        pbStoreRelease(s);
    }
    bytesProcessed(state, doc);
}
DOCUMENTS(BM_StoreDecode);

// simdjson's parse alone (no values leave its tape): the floor for decoding.
void BM_SimdjsonParse(benchmark::State& state, Document document) {
    const std::string& doc = document();
    simdjson::padded_string padded(doc);
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element root;
        if (parser.parse(padded).get(root) != simdjson::SUCCESS) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(root);
    }
    bytesProcessed(state, doc);
}
DOCUMENTS(BM_SimdjsonParse);

#if VORLIX_BENCH_HAVE_RAPIDJSON
// RapidJSON's DOM parse: a full tree of the document, the closest peer of decoding into stores.
void BM_RapidjsonParse(benchmark::State& state, Document document) {
    const std::string& doc = document();
    for (auto _ : state) {
        rapidjson::Document d;
        d.Parse(doc.data(), doc.size());
        if (d.HasParseError()) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(d);
    }
    bytesProcessed(state, doc);
}
DOCUMENTS(BM_RapidjsonParse);
#endif

void BM_JanssonLoad(benchmark::State& state, Document document) {
    const std::string& doc = document();
    for (auto _ : state) {
        json_error_t error;
        json_t* root = json_loadb(doc.data(), doc.size(), 0, &error);
        if (!root) state.SkipWithError("load failed");
        json_decref(root);
    }
    bytesProcessed(state, doc);
}
DOCUMENTS(BM_JanssonLoad);

void BM_JanssonDump(benchmark::State& state, Document document) {
    const std::string& doc = document();
    json_error_t error;
    json_t* root = json_loadb(doc.data(), doc.size(), 0, &error);
    for (auto _ : state) {
        char* text = json_dumps(root, JSON_INDENT(2) | JSON_PRESERVE_ORDER);
        benchmark::DoNotOptimize(text);
        free(text);
    }
    json_decref(root);
    bytesProcessed(state, doc);
}
DOCUMENTS(BM_JanssonDump);

void BM_CjsonParse(benchmark::State& state, Document document) {
    const std::string& doc = document();
    for (auto _ : state) {
        cJSON* root = cJSON_ParseWithLength(doc.data(), doc.size());
        if (!root) state.SkipWithError("parse failed");
        cJSON_Delete(root);
    }
    bytesProcessed(state, doc);
}
DOCUMENTS(BM_CjsonParse);

void BM_CjsonPrint(benchmark::State& state, Document document) {
    const std::string& doc = document();
    cJSON* root = cJSON_ParseWithLength(doc.data(), doc.size());
    for (auto _ : state) {
        char* text = cJSON_Print(root);
        benchmark::DoNotOptimize(text);
        cJSON_free(text);
    }
    cJSON_Delete(root);
    bytesProcessed(state, doc);
}
DOCUMENTS(BM_CjsonPrint);

}  // namespace

// glibc adapts its thresholds as a program frees large blocks: until then
// it gives freed memory back to the system at once, and every decode that
// follows pays for fresh pages again. So that no peer's figure depends on
// which benchmarks ran before it, all of them run with the thresholds that
// glibc reaches by itself once a block of 32 MB has been freed (the most
// it adapts to): blocks from 32 MB are mappings of their own, and the heap
// gives back what lies free above 64 MB.
int main(int argc, char** argv) {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
