// Updates and the update table: module versions, object entries and their
// enumeration, copy-on-write of shared updates, registration by date, the
// order of runs, and registration racing with runs.
#include <atomic>
#include <thread>
#include <vector>

#include "cs/update/cs_update_record.h"
#include "cs_update_test_util.hpp"

namespace {

using pb::adopt;
using vtest::canonical;
using vtest::currentOf;
using vtest::encode;
using vtest::json;
using vtest::str;
using vtest::take;

using CsUpdate = vtest::CsModuleTest;

pb::Ref<CS_UPDATE> updateOf(const std::string& text) { return adopt(csUpdateCreate(json(text).get())); }

std::string versionOf(CS_UPDATE* update, const char* moduleName) {
    auto version = adopt(csUpdateModuleVersionByName(update, str(moduleName).get()));
    return version ? take(pbModuleVersionToString(version.get())) : "<none>";
}

std::string names(CS_UPDATE_OBJECTS* uos) {
    std::string out;
    for (PB_INT i = 0; i < csUpdateObjectsLength(uos); ++i) {
        auto uo = adopt(csUpdateObjectsObjectAt(uos, i));
        out += take(csUpdateObjectsNameAt(uos, i)) + ":" + take(csUpdateObjectSortName(uo.get())) + " ";
    }
    return out;
}

TEST_F(CsUpdate, ModuleVersionsAreReadOnlyWhenPresentAndParsable) {
    VTEST_NO_LEAKS_IN_SCOPE();
    for (const char* absent : {R"({})", R"({"modules":{}})", R"({"modules":{"cs":{}}})", R"({"modules":"cs"})",
                               R"({"modules":{"cs":{"version":"six"}}})", R"({"modules":{"cs":{"version":6}}})",
                               R"({"modules":{"tr":{"version":"6.0"}}})"}) {
        EXPECT_EQ(versionOf(updateOf(absent).get(), "cs"), "<none>") << absent;
    }
    auto update = updateOf(R"({"modules":{"cs":{"version":"4.2.1"}}})");
    EXPECT_EQ(versionOf(update.get(), "cs"), "4.2.1");
}

TEST_F(CsUpdate, SettingAndDeletingAVersionCreatesAndRemovesItsStores) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto loaded = json("{}");
    auto update = adopt(csUpdateCreate(loaded.get()));
    auto held = update;  // another holder of the same update
    auto v1 = adopt(pbModuleVersionCreate(1, 0, 0));
    csUpdateSetModuleVersion(update.out(), csModule(), v1.get());
    EXPECT_EQ(currentOf(update.get()), canonical(R"({"modules":{"cs":{"version":"1.0"}}})"));
    EXPECT_EQ(currentOf(held.get()), canonical("{}"));
    EXPECT_EQ(encode(loaded.get()), canonical("{}"));

    csUpdateDelModuleVersion(update.out(), csModule());
    EXPECT_EQ(currentOf(update.get()), canonical("{}"));

    // Other values of a module's store stay, and keep the store alive.
    auto rich = updateOf(R"({"modules":{"cs":{"config":{"a":1},"version":"0.1"}},"info":{}})");
    auto v2 = adopt(pbModuleVersionCreate(2, 1, 3));
    csUpdateSetModuleVersionByName(rich.out(), str("cs").get(), v2.get());
    EXPECT_EQ(currentOf(rich.get()), canonical(R"({"modules":{"cs":{"config":{"a":1},"version":"2.1.3"}},"info":{}})"));
    csUpdateDelModuleVersion(rich.out(), csModule());
    EXPECT_EQ(currentOf(rich.get()), canonical(R"({"modules":{"cs":{"config":{"a":1}}},"info":{}})"));
}

TEST_F(CsUpdate, ObjectEntriesAreSetWholeAndDeletedWithTheirContainer) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto update = updateOf(R"({"info":{}})");
    auto uo = adopt(csUpdateObjectCreate(str("CS_CONDITION").get()));
    csUpdateSetObject(update.out(), str("c1").get(), uo.get());
    EXPECT_EQ(currentOf(update.get()), canonical(R"({"info":{},"objects":{"c1":{"sort":"CS_CONDITION",
        "config":{},"protected":false,"visible":true,"metaData":{}}}})"));
    EXPECT_FALSE(adopt(csUpdateObject(update.get(), str("c2").get())));

    // The entry written replaces the former one whole: "trMark" is gone.
    auto marked = updateOf(R"({"objects":{"c1":{"sort":"CS_A","trMark":true,"config":{"x":1}},"c2":{"sort":"bad"}}})");
    EXPECT_FALSE(adopt(csUpdateObject(marked.get(), str("c2").get())));
    auto read = adopt(csUpdateObject(marked.get(), str("c1").get()));
    csUpdateSetObject(marked.out(), str("c1").get(), read.get());
    EXPECT_EQ(currentOf(marked.get()), canonical(R"({"objects":{"c1":{"sort":"CS_A","config":{"x":1},
        "protected":false,"visible":true,"metaData":{}},"c2":{"sort":"bad"}}})"));

    csUpdateDelObject(update.out(), str("absent").get());
    csUpdateDelObject(update.out(), str("c1").get());
    EXPECT_EQ(currentOf(update.get()), canonical(R"({"info":{}})"));
    csUpdateDelObject(update.out(), str("c1").get());  // no "objects": nothing happens
    EXPECT_EQ(currentOf(update.get()), canonical(R"({"info":{}})"));
}

TEST_F(CsUpdate, EnumerationSkipsInvalidEntriesAndSeesThroughWrapping) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto update = updateOf(R"({"objects":{
        "a":{"sort":"CS_STUB"},
        "b":{"sort":"CS_WRAPPED","config":{"mode":"CS_WRAPPED_MODE_DISABLED","sort":"CS_STUB","config":{}}},
        "c":{"sort":"CS_CONDITION"},
        "d":{"sort":"bad"},
        "e":5,
        "f":{"sort":"CS_WRAPPED","config":{"sort":"CS_STUB"}},
        "g":{"sort":"CS_WRAPPED"},
        "h":{"sort":"CS_WRAPPED","config":{"config":{}}}}})");
    EXPECT_EQ(names(adopt(csUpdateObjects(update.get())).get()), "a:CS_STUB b:CS_STUB c:CS_CONDITION f:CS_STUB ");
    EXPECT_EQ(names(adopt(csUpdateObjectsBySort(update.get(), csStubSort())).get()), "a:CS_STUB b:CS_STUB f:CS_STUB ");
    EXPECT_EQ(names(adopt(csUpdateObjectsBySortName(update.get(), str("CS_WRAPPED").get())).get()), "");
}

TEST_F(CsUpdate, ArrayStoresReadByIndexAndTakeNamedEntries) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto update = updateOf(R"({"objects":[{"sort":"CS_A"},7]})");
    EXPECT_EQ(names(adopt(csUpdateObjects(update.get())).get()), "0:CS_A ");
    auto uo = adopt(csUpdateObjectCreate(str("CS_B").get()));
    csUpdateSetObject(update.out(), str("x").get(), uo.get());
    csUpdateDelObject(update.out(), str("0").get());
    EXPECT_EQ(names(adopt(csUpdateObjects(update.get())).get()), "x:CS_B ");

    auto whole = updateOf(R"([true,{"a":1}])");
    auto v = adopt(pbModuleVersionCreate(1, 0, 0));
    csUpdateSetModuleVersion(whole.out(), csModule(), v.get());
    EXPECT_EQ(currentOf(whole.get()), canonical(R"({"0":true,"1":{"a":1},"modules":{"cs":{"version":"1.0"}}})"));
}

// An update that appends "<argument>@<version of cs> " to the value "trail".
void trail(PB_OBJ* argument, CS_UPDATE** update) {
    auto current = adopt(csUpdateCurrent(*update));
    auto text = adopt(pbStoreValueCstr(current.get(), "trail", -1));
    if (!text) text = adopt(pbStringCreate());
    auto version = adopt(csUpdateModuleVersion(*update, csModule()));
    auto part = adopt(pbStringCreateFromFormatCstr("%~o@%~o ", -1, argument, pbModuleVersionObj(version.get())));
    pbStringAppend(text.out(), part.get());
    pbStoreSetValueCstr(current.out(), "trail", -1, text.get());
    csUpdateSetCurrent(update, current.get());
}

std::string run(const std::string& config) {
    auto update = updateOf(config);
    csUpdateTableUpdate(update.out());
    return take(pbStoreValueCstr(adopt(csUpdateCurrent(update.get())).get(), "trail", -1));
}

TEST_F(CsUpdate, UpdatesRunOldestDateFirstAndLeaveWithTheirBackend) {
    VTEST_NO_LEAKS_IN_SCOPE();
    PB_INT records = pbSortLiveCount(cs___UpdateRecordSort());
    // Registered newest first; the built-in updates of 2000-01-01 and
    // 2024-04-02 run between them and leave their versions behind.
    auto late = adopt(csUpdateBackendCreateCstr("2030-01-01", -1, trail, pbStringObj(str("late").get())));
    auto mid = adopt(csUpdateBackendCreateWcstr(L"2001-06-01", -1, trail, pbStringObj(str("mid").get())));
    auto earlyTime = adopt(pbTimeCreate(1999, 12, 31));
    auto early = adopt(csUpdateBackendCreate(earlyTime.get(), trail, pbStringObj(str("early").get())));
    auto twin = adopt(csUpdateBackendCreateCstr("2030-01-01 and more", 10, trail, pbStringObj(str("twin").get())));
    EXPECT_EQ(pbSortLiveCount(cs___UpdateRecordSort()), records + 4);

    // Records of one date run in no fixed order among themselves.
    std::string all = run("{}");
    EXPECT_TRUE(all == "early@ mid@1.0 late@5.0 twin@5.0 " || all == "early@ mid@1.0 twin@5.0 late@5.0 ") << all;

    mid.reset();
    late.reset();
    EXPECT_EQ(pbSortLiveCount(cs___UpdateRecordSort()), records + 2);
    EXPECT_EQ(run("{}"), "early@ twin@5.0 ");
    EXPECT_EQ(run(R"({"modules":{"cs":{"version":"6.0"}}})"), "early@6.0 twin@6.0 ");
    twin.reset();
    early.reset();
    EXPECT_EQ(pbSortLiveCount(cs___UpdateRecordSort()), records);
}

TEST_F(CsUpdate, ARunWithNothingToDoKeepsTheHandleAndTheStore) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto update = updateOf(R"({"modules":{"cs":{"version":"6.0"}},"objects":{"x":{"sort":"CS_STUB"}}})");
    CS_UPDATE* handle = update.get();
    auto before = adopt(csUpdateCurrent(update.get()));
    csUpdateTableUpdate(update.out());
    EXPECT_EQ(update.get(), handle);
    EXPECT_EQ(adopt(csUpdateCurrent(update.get())).get(), before.get());
}

std::atomic<int> counted{0};
void count(PB_OBJ*, CS_UPDATE**) { counted.fetch_add(1, std::memory_order_relaxed); }

// Registrations and removals from several threads while others run the
// table: every run sees a whole table, and nothing stays registered.
TEST_F(CsUpdate, RegistrationsAndRunsFromManyThreads) {
    VTEST_NO_LEAKS_IN_SCOPE();
    PB_INT records = pbSortLiveCount(cs___UpdateRecordSort());
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i) {
                auto backend = adopt(csUpdateBackendCreateCstr(t ? "2031-01-01" : "2032-02-02", -1, count, nullptr));
                auto again = adopt(csUpdateBackendCreateCstr("2031-01-01", -1, count, nullptr));
            }
        });
        threads.emplace_back([] {
            for (int i = 0; i < 200; ++i) {
                auto update = updateOf(R"({"modules":{"cs":{"version":"6.0"}}})");
                csUpdateTableUpdate(update.out());
                EXPECT_EQ(currentOf(update.get()), canonical(R"({"modules":{"cs":{"version":"6.0"}}})"));
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(pbSortLiveCount(cs___UpdateRecordSort()), records);
    counted = 0;
    auto update = updateOf("{}");
    csUpdateTableUpdate(update.out());
    EXPECT_EQ(counted.load(), 0);
}

void dropHandle(PB_OBJ*, CS_UPDATE** update) {
    csUpdateRelease(*update);
    *update = nullptr;
}

using CsUpdateDeathTest = CsUpdate;

TEST_F(CsUpdateDeathTest, BadNamesHandlesAndDatesStopTheProcess) {
    auto update = updateOf("{}");
    EXPECT_DEATH(csUpdateModuleVersionByName(update.get(), str("Cs").get()),
                 "cs_update.cpp:[0-9]+: pbModuleNameOk\\( moduleName \\)");
    CS_UPDATE* none = nullptr;
    EXPECT_DEATH(csUpdateTableUpdate(&none), "cs_update_table.cpp:[0-9]+: \\*update\n");

    EXPECT_DEATH(csUpdateBackendCreateCstr("2024-13-01", -1, count, nullptr), "cs_update_backend.cpp:[0-9]+: time\n");
    EXPECT_DEATH(
        {
            auto backend = adopt(csUpdateBackendCreateCstr("2040-01-01", -1, dropHandle, nullptr));
            csUpdateTableUpdate(update.out());
        },
        "cs_update_record.cpp:[0-9]+: \\*update\n");
}

}  // namespace
