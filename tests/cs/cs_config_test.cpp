// Gathering and applying the configuration: the first gather, keeping,
// reconfiguring, replacing, creating and deleting objects, modules, the
// private-data form, and a full cycle through the files and a restart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "cs/cs.h"
#include "cs/config/cs_config_store.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "support/cs_fixture.hpp"
#include "support/store_text.hpp"

namespace {

using pb::adopt;
using vtest::encode;
using vtest::json;
using vtest::str;

// A configurable test class: its configuration is a store, and the key
// "secret" is private data.
struct Thing {
    PB_OBJ obj;
    PB_STORE* config;
};
// While set, a thing's free function waits for another thread that takes
// the object table's and the configuration's monitors, as a free function
// that halts a process whose run takes them would. Run under either
// monitor, it never returns.
bool thingFreeWaitsForLocks = false;
int thingsFreed = 0;
void thingFree(PB_OBJ* obj) {
    pbObjRelease(pbStoreObj(reinterpret_cast<Thing*>(obj)->config));
    if (!thingFreeWaitsForLocks) return;
    std::thread([] {
        pbObjRelease(csObjectTableLookupObjectByName(str("any").get()));
        csConfigVersion();
    }).join();
    ++thingsFreed;
}
PB_SORT_DEFINE(thingSort, &cs___module, "TEST_THING", thingFree, nullptr, nullptr);
int thingSetConfigCalls = 0;

PB_OBJ* thingTryCreate(PB_OBJ*, PB_STORE* config, TR_ANCHOR*) {
    auto* t = reinterpret_cast<Thing*>(pb___ObjCreate(sizeof(Thing), &thingSort));
    t->config = config ? pbStoreRetain(config) : pbStoreCreate();
    return &t->obj;
}
PB_STORE* thingConfig(PB_OBJ*, PB_OBJ* obj, PB_BOOL, PB_BOOL includePrivateData) {
    PB_STORE* config = pbStoreRetain(reinterpret_cast<Thing*>(obj)->config);
    if (!includePrivateData) pbStoreDelCstr(&config, "secret", -1);
    return config;
}
void thingSetConfig(PB_OBJ*, PB_OBJ* obj, PB_STORE* config) {
    ++thingSetConfigCalls;
    auto* t = reinterpret_cast<Thing*>(obj);
    pbStoreRelease(t->config);
    t->config = pbStoreRetain(config);
}

// Every store handed to a module backend, as "<module> <JSON>".
std::vector<std::string> moduleConfigs;
template <const char* Module>
void recordModuleConfig(PB_OBJ*, PB_STORE* config) {
    moduleConfigs.push_back(std::string(Module) + " " + encode(config));
}
constexpr char trName[] = "tr", pbName[] = "pb";

// The stores module backends were handed since the last call, in order of
// module name.
std::vector<std::string> takeModuleConfigs() {
    std::vector<std::string> calls = std::move(moduleConfigs);
    moduleConfigs.clear();
    std::sort(calls.begin(), calls.end());
    return calls;
}

class CsConfig : public vtest::CsModuleTest {
protected:
    pb::Ref<CS_SORT_BACKEND> thingBackend;
    void SetUp() override {
        vtest::CsModuleTest::SetUp();
        thingBackend = adopt(csSortBackendCreate(&thingSort, thingTryCreate, thingConfig, thingSetConfig, nullptr,
                                                 nullptr, nullptr, nullptr));
        thingSetConfigCalls = 0;
    }
    void TearDown() override {
        thingBackend.reset();
        vtest::CsModuleTest::TearDown();
    }

    static pb::Ref<PB_OBJ> object(const char* name) { return adopt(csObjectTableLookupObjectByName(str(name).get())); }
    static pb::Ref<PB_STORE> gathered(const char* path1, const char* path2 = nullptr) {
        auto config = adopt(csConfigConfig(nullptr));
        auto a = adopt(pbStoreStoreCstr(config.get(), path1, -1));
        if (!a || !path2) return a;
        return adopt(pbStoreStoreCstr(a.get(), path2, -1));
    }
    static PB_INT apply(const std::string& text) { return csConfigSetConfig(json(text).get()); }
};

TEST_F(CsConfig, FirstGatherRunsBeforeRegistrationsLaterOnesListThem) {
    PB_INT version = 0;
    auto first = adopt(csConfigConfig(&version));
    EXPECT_EQ(version, 1);
    EXPECT_EQ(csConfigVersion(), 1);
    EXPECT_EQ(encode(adopt(pbStoreStoreCstr(first.get(), "objects", -1)).get()), "{}\n");
    EXPECT_EQ(encode(adopt(pbStoreStoreCstr(first.get(), "sorts", -1)).get()), "{}\n");
    // No module is in the module table yet: no module has a "config".
    EXPECT_EQ(encode(adopt(pbStoreStoreCstr(first.get(), "modules", -1)).get()).find("\"config\""), std::string::npos);

    EXPECT_EQ(csConfigGather(), 2);
    auto sorts = gathered("sorts");
    for (const char* name : {"CS_STUB", "CS_WRAPPED", "TEST_THING"})
        EXPECT_TRUE(pbStoreHasAddressCstr(sorts.get(), name, -1)) << name;
    auto opt = adopt(csModuleOptions());
    EXPECT_TRUE(pbStoreEquals(adopt(pbStoreStoreCstr(gathered("modules", "cs").get(), "config", -1)).get(),
                              adopt(csOptionsStore(opt.get())).get()));
}

TEST_F(CsConfig, ApplyKeepsReconfiguresReplacesCreatesAndDeletes) {
    apply(R"({"objects":{
        "a":{"sort":"TEST_THING","config":{"k":1}},
        "b":{"sort":"TEST_THING","protected":true,"comment":"keep me"},
        "c":{"sort":"CS_STUB","config":{"type":"x"}},
        "d":{"sort":"NO_SUCH_SORT","visible":false,"config":{"n":7}},
        "e":{"sort":"not upper"},
        "f":5}})");
    auto a = object("a"), b = object("b"), c = object("c"), d = object("d");
    ASSERT_TRUE(a && b && c && d);
    EXPECT_FALSE(object("e"));
    EXPECT_FALSE(object("f"));
    EXPECT_EQ(pbObjSort(d.get()), csWrappedSort());
    EXPECT_EQ(encode(gathered("objects", "d").get()),
              vtest::canonical(R"({"sort":"CS_WRAPPED","visible":false,"protected":false,"trMark":false,
                  "metaData":{},"config":{"mode":"CS_WRAPPED_MODE_FALLBACK","sort":"NO_SUCH_SORT","config":{"n":7}}})"));

    // Applying what was gathered keeps every object.
    PB_INT before = csConfigVersion();
    EXPECT_EQ(csConfigSetConfig(adopt(csConfigConfig(nullptr)).get()), before + 1);
    EXPECT_EQ(object("a").get(), a.get());
    EXPECT_EQ(object("d").get(), d.get());

    // Same sort: reconfigured in place; another sort: replaced; an empty
    // entry: left alone; unnamed: deleted unless protected.
    thingSetConfigCalls = 0;
    apply(R"({"objects":{"a":{"sort":"TEST_THING","config":{"k":2}},"c":{"sort":"TEST_THING"},"d":{}}})");
    EXPECT_EQ(object("a").get(), a.get());
    EXPECT_EQ(thingSetConfigCalls, 1);
    EXPECT_NE(encode(gathered("objects", "a").get()).find("\"k\":2"), std::string::npos);
    EXPECT_NE(object("c").get(), c.get());
    EXPECT_EQ(pbObjSort(object("c").get()), &thingSort);
    EXPECT_EQ(object("d").get(), d.get());
    EXPECT_EQ(object("b").get(), b.get());  // protected: stays as it stood
    EXPECT_NE(encode(gathered("objects", "b").get()).find("keep me"), std::string::npos);

    apply("{}");  // no objects: every unprotected object goes
    EXPECT_FALSE(object("a"));
    EXPECT_TRUE(object("b"));
    EXPECT_EQ(pbStoreLength(gathered("objects").get()), 1);
}

TEST_F(CsConfig, ApplyIsOneBatchForObservers) {
    auto observer = adopt(csObjectObserverCreate());
    csObjectObserverSetObservedName(observer.get(), str("a").get());
    int hits = 0;
    auto signalable = adopt(pbSignalableCreateWithCallback([](void* c) { ++*static_cast<int*>(c); }, &hits));
    csObjectTableUpdateAddSignalable(signalable.get());
    apply(R"({"objects":{"a":{"sort":"CS_STUB"},"b":{"sort":"CS_STUB"},"c":{"sort":"CS_STUB"}}})");
    EXPECT_EQ(hits, 1);
    EXPECT_TRUE(csObjectObserverHasObject(observer.get()));
}

// Every gather and every apply counts a version and asserts the update
// signal once, whatever the applied store holds.
TEST_F(CsConfig, UpdateSignalOncePerGatherAndApply) {
    int hits = 0;
    auto signalable = adopt(pbSignalableCreateWithCallback([](void* c) { ++*static_cast<int*>(c); }, &hits));
    PB_INT version = csConfigVersion();
    for (int round = 1; round <= 3; ++round) {
        csConfigUpdateAddSignalable(signalable.get());
        if (round == 1) csConfigGather();
        else apply(round == 2 ? R"({"objects":{"a":{"sort":"CS_STUB"}}})" : R"({"objects":5,"modules":[]})");
        EXPECT_EQ(hits, round);
        EXPECT_EQ(csConfigVersion(), version + round);
    }
    csConfigUpdateDelSignalable(signalable.get());
}

// A gather hands out the entry gathered before for an object that did not
// change, and a fresh one for an object that did.
TEST_F(CsConfig, GatherKeepsTheEntriesOfUnchangedObjects) {
    apply(R"({"objects":{"a":{"sort":"CS_STUB","config":{"n":1}},"b":{"sort":"TEST_THING","config":{"secret":"x"}}}})");
    csConfigGather();
    auto a1 = gathered("objects", "a"), b1 = gathered("objects", "b");
    csConfigGather();
    EXPECT_EQ(gathered("objects", "a").get(), a1.get());
    EXPECT_EQ(gathered("objects", "b").get(), b1.get());
    csObjectSetConfig(object("a").get(), json(R"({"n":2})").get());
    csConfigGather();
    auto a2 = gathered("objects", "a");
    EXPECT_NE(a2.get(), a1.get());
    EXPECT_NE(encode(a2.get()).find("\"n\":2"), std::string::npos);
    EXPECT_EQ(gathered("objects", "b").get(), b1.get());

    // Nothing changed: the whole "objects" store stays. A record replaced
    // for the same object with other flags and a comment is gathered anew.
    auto objects = gathered("objects");
    csConfigGather();
    EXPECT_EQ(gathered("objects").get(), objects.get());
    auto rec = adopt(csObjectRecordCreate(str("a").get(), object("a").get()));
    csObjectRecordSetVisible(rec.out(), PB_FALSE);
    csObjectRecordSetComment(rec.out(), str("now").get());
    csObjectTableSet(rec.get());
    csConfigGather();
    EXPECT_NE(gathered("objects").get(), objects.get());
    std::string a3 = encode(gathered("objects", "a").get());
    EXPECT_NE(a3.find("\"visible\":false"), std::string::npos);
    EXPECT_NE(a3.find("\"comment\":\"now\""), std::string::npos);
    EXPECT_EQ(gathered("objects", "b").get(), b1.get());
}

// Entries skipped for their content (a sort name that is not upper-case, no
// sort, not a store) do not count as named: the object of that name goes
// unless its record is protected.
TEST_F(CsConfig, SkippedEntriesDeleteWhatTheyNameUnlessProtected) {
    apply(R"({"objects":{"a":{"sort":"CS_STUB"},"b":{"sort":"CS_STUB"},"c":{"sort":"CS_STUB"},
                          "p":{"sort":"CS_STUB","protected":true}}})");
    apply(R"({"objects":{"a":{"sort":"lower"},"b":{"config":{}},"c":7,"p":{"sort":"bad sort"}}})");
    EXPECT_FALSE(object("a"));
    EXPECT_FALSE(object("b"));
    EXPECT_FALSE(object("c"));
    EXPECT_TRUE(object("p"));
    EXPECT_EQ(encode(gathered("objects").get()).find("\"a\""), std::string::npos);
}

// An apply that replaces or deletes an object frees it only after leaving
// the table's and the configuration's monitors, whether the last reference
// goes with the table's record or with an observer that held the object.
TEST_F(CsConfig, ObjectsAreFreedOutsideTheLocks) {
    thingFreeWaitsForLocks = true;
    thingsFreed = 0;
    for (bool observed : {false, true}) {
        pb::Ref<CS_OBJECT_OBSERVER> observer;
        pb::Ref<CS_OBJECT_MULTI_OBSERVER> multi;
        pb::Ref<CS_OBJECT_DOMAIN_OBSERVER> domain;
        if (observed) {
            observer = adopt(csObjectObserverCreate());
            csObjectObserverSetObservedName(observer.get(), str("w").get());
            multi = adopt(csObjectMultiObserverCreate());
            csObjectMultiObserverSetObservedName(multi.get(), str("v").get());
            domain = adopt(csObjectDomainObserverCreate());
            csObjectDomainObserverSetObservedName(domain.get(), str("w").get());
        }
        apply(R"({"objects":{"w":{"sort":"TEST_THING"},"v":{"sort":"TEST_THING"}}})");
        apply(R"({"objects":{"w":{"sort":"CS_STUB"}}})");  // replaces "w", deletes "v"
        EXPECT_EQ(thingsFreed, observed ? 4 : 2);
        apply("{}");
    }
    thingFreeWaitsForLocks = false;
}

// A module of the process gets exactly one call per configuration: its
// part of the "modules" store, an empty store when the store does not name
// it, and none for an empty entry.
TEST_F(CsConfig, ModulesGetTheirPartOrAnEmptyStore) {
    PB_MODULE* tr = pbRuntimeModule(str("tr").get());
    PB_MODULE* pbm = pbRuntimeModule(str("pb").get());
    ASSERT_TRUE(tr && pbm);
    auto trBackend = adopt(csModuleBackendCreate(tr, nullptr, recordModuleConfig<trName>, nullptr, nullptr, nullptr));
    auto pbBackend = adopt(csModuleBackendCreate(pbm, nullptr, recordModuleConfig<pbName>, nullptr, nullptr, nullptr));
    takeModuleConfigs();
    apply(R"({"modules":{"tr":{"config":{"level":2}}}})");
    EXPECT_EQ(takeModuleConfigs(), (std::vector<std::string>{"pb {}\n", "tr " + vtest::canonical(R"({"level":2})")}));
    apply(R"({"modules":{"cs":{}}})");
    EXPECT_EQ(takeModuleConfigs(), (std::vector<std::string>{"pb {}\n", "tr {}\n"}));
    apply(R"({"modules":{"tr":{},"pb":{}}})");
    EXPECT_EQ(takeModuleConfigs(), std::vector<std::string>{});
}

TEST_F(CsConfig, TraceGetsPrivateDataOnlyWhenTheOptionsAskForIt) {
    apply(R"({"objects":{"s":{"sort":"TEST_THING","config":{"secret":"pw","open":1}}}})");
    auto stream = adopt(cs___ModuleTrStream());
    auto traced = adopt(trStreamConfiguration(stream.get()));
    EXPECT_EQ(encode(traced.get()).find("\"pw\""), std::string::npos);
    EXPECT_NE(encode(adopt(csConfigConfig(nullptr)).get()).find("\"pw\""), std::string::npos);

    // Both forms follow later applies, whether or not they differed before.
    auto has = [](PB_STORE* config, const char* name) {
        auto objects = adopt(pbStoreStoreCstr(config, "objects", -1));
        return objects && pbStoreHasAddressCstr(objects.get(), name, -1);
    };
    apply(R"({"objects":{"s":{"sort":"TEST_THING","config":{"secret":"pw2"}},"t":{"sort":"CS_STUB"}}})");
    traced = adopt(trStreamConfiguration(stream.get()));
    EXPECT_TRUE(has(traced.get(), "s") && has(traced.get(), "t"));
    EXPECT_EQ(encode(traced.get()).find("\"pw2\""), std::string::npos);
    apply(R"({"objects":{"t":{"sort":"CS_STUB"}}})");
    traced = adopt(trStreamConfiguration(stream.get()));
    EXPECT_TRUE(has(traced.get(), "t"));
    EXPECT_FALSE(has(traced.get(), "s"));
    EXPECT_FALSE(has(adopt(csConfigConfig(nullptr)).get(), "s"));
    apply(R"({"objects":{"s":{"sort":"TEST_THING","config":{"secret":"pw"}},"t":{"sort":"CS_STUB"}}})");

    auto opt = adopt(csModuleOptions());
    csOptionsSetIncludePrivateData(opt.out(), PB_TRUE);
    csModuleSetOptions(opt.get());
    csConfigGather();
    traced = adopt(trStreamConfiguration(stream.get()));
    EXPECT_NE(encode(traced.get()).find("\"pw\""), std::string::npos);
}

TEST_F(CsConfig, FullCycleThroughTheFilesAndARestart) {
    char tmpl[] = "/tmp/vorlix-cycle-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    auto paths = adopt(pbRuntimePathsCreate());
    pbRuntimePathsSetPathCstr(paths.out(), PB_RUNTIME_PATH_CONFIGURATION, tmpl, -1);
    pbRuntimeSetPaths(paths.get());

    apply(R"({"objects":{
        "one":{"sort":"TEST_THING","config":{"k":1,"secret":"s"},"metaData":{"m":true},"trMark":true},
        "two":{"sort":"CS_STUB","protected":true,"comment":"c","config":{"type":"t"}},
        "gone":{"sort":"LATER_SORT","config":{"deep":{"x":[1,2,{"y":"z"}]}}}}})");
    csConfigGather();
    auto firstObjects = gathered("objects");
    ASSERT_TRUE(cs___ConfigStoreSave(adopt(csConfigConfig(nullptr)).get()));

    // A new life of the module: load, migrate, apply, gather.
    thingBackend.reset();
    pbRuntimeStop();
    pbRuntimeStart(paths.get());
    ASSERT_TRUE(pbRuntimeLoadModuleCstr("cs", -1));
    thingBackend = adopt(csSortBackendCreate(&thingSort, thingTryCreate, thingConfig, thingSetConfig, nullptr,
                                             nullptr, nullptr, nullptr));
    auto loaded = adopt(cs___ConfigStoreLoad());
    ASSERT_TRUE(loaded);
    auto update = adopt(csUpdateCreate(loaded.get()));
    csUpdateTableUpdate(update.out());
    csConfigSetConfig(adopt(csUpdateCurrent(update.get())).get());
    csConfigGather();
    EXPECT_EQ(encode(gathered("objects").get()), encode(firstObjects.get()));
    EXPECT_NE(encode(gathered("objects", "gone").get()).find("\"LATER_SORT\""), std::string::npos);
    std::system((std::string("rm -rf ") + tmpl).c_str());
}

using CsConfigDeathTest = CsConfig;

TEST_F(CsConfigDeathTest, ConfigMustNotBeNull) {
    EXPECT_DEATH(csConfigSetConfig(nullptr), "cs_config.cpp:[0-9]+: config\n");
}

}  // namespace
