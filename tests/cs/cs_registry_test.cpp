// The sort table and the module table: registration through backends,
// callbacks and their absence, and the preconditions.
#include <gtest/gtest.h>

#include "cs/cs.h"
#include "cs/sort/cs_sort_record.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/cs_fixture.hpp"
#include "support/text.hpp"

namespace {

using pb::adopt;
using vtest::take;
using vtest::str;

PB_SORT_DEFINE(testSortA, &cs___module, "TEST_SORT_A", nullptr, nullptr, nullptr);
PB_SORT_DEFINE(testSortB, &cs___module, "TEST_SORT_B", nullptr, nullptr, nullptr);
PB_SORT_DEFINE(lowerSort, &cs___module, "lower_sort", nullptr, nullptr, nullptr);

const PB_MODULE_RECORD demoRecord = {2, "vorlix", "Vorlix Server", 4, 14, 21, "", "", "", "demo", "Demo", "1.0",
                                     "pb", ""};
PB_MODULE_DEFINE(demoModule, &demoRecord, nullptr, nullptr, nullptr, nullptr);

// Callbacks that answer with a store naming what was called.
PB_STORE* mark(const char* what, PB_BOOL a, PB_BOOL b) {
    PB_STORE* s = pbStoreCreate();
    pbStoreSetValueCstr(&s, "called", -1, str(what).get());
    pbStoreSetValueBoolCstr(&s, "a", -1, a);
    pbStoreSetValueBoolCstr(&s, "b", -1, b);
    return s;
}

int setConfigCalls = 0;

PB_OBJ* tryCreate(PB_OBJ*, PB_STORE*, TR_ANCHOR*) { return pb___ObjCreate(sizeof(PB_OBJ), &testSortA); }
PB_STORE* sortConfig(PB_OBJ*, PB_OBJ*, PB_BOOL complete, PB_BOOL priv) { return mark("config", complete, priv); }
void sortSetConfig(PB_OBJ*, PB_OBJ*, PB_STORE*) { ++setConfigCalls; }
PB_STORE* normalize(PB_OBJ*, PB_STORE*, PB_BOOL complete, PB_BOOL priv) { return mark("normalize", complete, priv); }

PB_STORE* moduleConfig(PB_OBJ* context, PB_BOOL complete, PB_BOOL priv) {
    EXPECT_NE(context, nullptr);
    return mark("config", complete, priv);
}
void moduleSetConfig(PB_OBJ*, PB_STORE*) { ++setConfigCalls; }

using CsRegistry = vtest::CsModuleTest;

TEST_F(CsRegistry, SortBackendRegistersForItsLifetime) {
    auto name = str("TEST_SORT_A");
    EXPECT_FALSE(csSortTableHasSortName(name.get()));
    auto backend = adopt(csSortBackendCreate(&testSortA, tryCreate, sortConfig, sortSetConfig, normalize, nullptr,
                                             nullptr, nullptr));
    auto other = adopt(csSortBackendCreate(&testSortB, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_TRUE(csSortTableHasSortName(name.get()));
    EXPECT_TRUE(csSortTableHasSort(&testSortB));

    auto rec = adopt(cs___SortTableRecordBySort(&testSortA));
    auto obj = adopt(cs___SortRecordTryCreate(rec.get(), nullptr, nullptr));
    ASSERT_TRUE(obj);
    auto config = adopt(cs___SortRecordConfig(rec.get(), obj.get(), 7, 0));
    PB_BOOL flag = 0;
    ASSERT_TRUE(pbStoreValueBoolCstr(config.get(), "a", -1, &flag));
    EXPECT_EQ(flag, 1);  // flags arrive as 0 or 1
    setConfigCalls = 0;
    cs___SortRecordSetConfig(rec.get(), obj.get(), config.get());
    EXPECT_EQ(setConfigCalls, 1);
    EXPECT_EQ(cs___SortRecordStatus(rec.get(), obj.get()), nullptr);  // no callback

    auto normalized = adopt(csSortNormalizeConfig(&testSortA, config.get(), PB_TRUE, PB_FALSE));
    EXPECT_EQ(take(pbStoreValueCstr(normalized.get(), "called", -1)), "normalize");
    auto empty = adopt(csSortNormalizeConfig(&testSortB, config.get(), PB_TRUE, PB_FALSE));
    EXPECT_EQ(pbStoreLength(empty.get()), 0);  // registered without the callback

    other.reset();
    EXPECT_FALSE(csSortTableHasSort(&testSortB));
    rec.reset();
    backend.reset();
    EXPECT_FALSE(csSortTableHasSortName(name.get()));
}

TEST_F(CsRegistry, ModuleBackendRegistersForItsLifetime) {
    auto name = str("demo");
    EXPECT_FALSE(csModuleTableHasModuleName(name.get()));
    EXPECT_EQ(pbStoreLength(adopt(csModuleConfigByModuleName(name.get(), PB_FALSE, PB_FALSE)).get()), 0);

    auto context = str("context");
    auto backend = adopt(csModuleBackendCreate(&demoModule, moduleConfig, moduleSetConfig, nullptr, nullptr,
                                               pbStringObj(context.get())));
    EXPECT_TRUE(csModuleTableHasModule(&demoModule));
    auto config = adopt(csModuleConfigByModuleName(name.get(), PB_TRUE, PB_TRUE));
    EXPECT_EQ(take(pbStoreValueCstr(config.get(), "called", -1)), "config");
    EXPECT_EQ(pbStoreLength(adopt(csModuleInfoByModule(&demoModule)).get()), 0);  // no info callback
    EXPECT_EQ(pbVectorLength(adopt(csModuleTableModuleNamesVector()).get()), 2);  // "cs" and "demo"
    backend.reset();
    EXPECT_FALSE(csModuleTableHasModuleName(name.get()));
}

// The status and trace callbacks of a sort and the info callback of a
// module are reached through the object and module functions, with the
// context given at registration.
TEST_F(CsRegistry, CallbacksGetTheirContext) {
    static PB_OBJ* seen[3];
    static CS_STATUS_REPORTER* reporter;
    auto context = str("context");
    auto rep = adopt(csStatusReporterCreate(nullptr));
    reporter = rep.get();
    auto sortBackend = adopt(csSortBackendCreate(
        &testSortA, tryCreate, nullptr, nullptr, nullptr,
        [](PB_OBJ* c, PB_OBJ*) {
            seen[0] = c;
            return csStatusReporterStatus(reporter);
        },
        [](PB_OBJ* c, PB_OBJ*, TR_ANCHOR* anchor) {
            seen[1] = c;
            trAnchorComplete(anchor, adopt(trStreamCreateCstr("TEST_TRACED", -1)).get());
        },
        pbStringObj(context.get())));
    auto moduleBackend = adopt(csModuleBackendCreate(
        &demoModule, nullptr, nullptr,
        [](PB_OBJ* c) {
            seen[2] = c;
            return mark("info", PB_FALSE, PB_FALSE);
        },
        nullptr, pbStringObj(context.get())));

    auto object = adopt(csObjectTryCreateBySort(&testSortA, nullptr, nullptr));
    auto status = adopt(csObjectStatus(object.get()));
    EXPECT_EQ(seen[0], pbStringObj(context.get()));
    EXPECT_EQ(status.get(), adopt(csStatusReporterStatus(reporter)).get());
    auto stream = adopt(trStreamCreateCstr("TEST_FROM", -1));
    auto anchor = adopt(trAnchorCreate(stream.get(), 12));
    csObjectTraceCompleteAnchor(object.get(), anchor.get());
    EXPECT_EQ(seen[1], pbStringObj(context.get()));
    EXPECT_EQ(take(trStreamName(adopt(trStreamLinkAt(stream.get(), 0)).get())), "TEST_TRACED");
    auto info = adopt(csModuleInfoByModule(&demoModule));
    EXPECT_EQ(take(pbStoreValueCstr(info.get(), "called", -1)), "info");
    EXPECT_EQ(seen[2], pbStringObj(context.get()));
}

using CsRegistryDeathTest = CsRegistry;

TEST_F(CsRegistryDeathTest, SecondRegistrationsAndBadNamesStopTheProcess) {
    auto a = adopt(csSortBackendCreate(&testSortA, tryCreate, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_DEATH(csSortBackendCreate(&testSortA, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
                 "cs_sort_table.cpp:[0-9]+: !pbDictHasStringKey\\( cs___SortDict, sortName \\)");
    EXPECT_DEATH(csModuleBackendCreate(csModule(), nullptr, nullptr, nullptr, nullptr, nullptr),
                 "cs_module_table.cpp:[0-9]+: !pbDictHasStringKey\\( cs___ModulesDict, moduleName \\)");
    EXPECT_DEATH(csSortTableHasSort(&lowerSort), "cs_sort_table.cpp:[0-9]+: pbNameUpperCaseOk\\( sortName, PB_TRUE \\)");
    EXPECT_DEATH(csModuleTableHasModuleName(str("Demo").get()), "pbModuleNameOk\\( moduleName \\)");

    auto rec = adopt(cs___SortTableRecordBySort(&testSortA));
    auto wrong = str("x");
    auto store = adopt(pbStoreCreate());
    EXPECT_DEATH(cs___SortRecordSetConfig(rec.get(), pbStringObj(wrong.get()), store.get()),
                 "pbObjSort\\( object \\) == rec->pbSort");
}

}  // namespace
