// Update objects: defaults, copy-on-write, and the object entry read and
// written in its plain and wrapped forms.
#include "cs_update_test_util.hpp"

namespace {

using pb::adopt;
using vtest::canonical;
using vtest::encode;
using vtest::json;
using vtest::str;
using vtest::take;

using CsUpdateObject = vtest::CsModuleTest;

pb::Ref<CS_UPDATE_OBJECT> restore(const std::string& entry) {
    return adopt(csUpdateObjectTryRestore(json(entry).get()));
}

std::string stored(CS_UPDATE_OBJECT* uo) { return encode(adopt(csUpdateObjectStore(uo)).get()); }

// Which field lands where; copy-on-write is the value-class table's.
TEST_F(CsUpdateObject, NewObjectsHoldDefaultsAndAWrappedModeWrapsTheEntry) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto uo = adopt(csUpdateObjectCreate(str("CS_CONDITION").get()));
    EXPECT_EQ(csUpdateObjectWrappedMode(uo.get()), -1);
    EXPECT_EQ(stored(uo.get()),
              canonical(R"({"sort":"CS_CONDITION","config":{},"protected":false,"visible":true,"metaData":{}})"));

    csUpdateObjectSetProtected(uo.out(), 9);
    csUpdateObjectSetWrappedMode(uo.out(), CS_WRAPPED_MODE_DISABLED_HERE);
    csUpdateObjectSetComment(uo.out(), str("note").get());
    csUpdateObjectSetConfig(uo.out(), json(R"({"a":1})").get());
    csUpdateObjectSetMetaData(uo.out(), json(R"({"m":true})").get());
    csUpdateObjectSetSortName(uo.out(), str("CS_RATE").get());
    csUpdateObjectSetVisible(uo.out(), PB_FALSE);
    EXPECT_EQ(stored(uo.get()), canonical(R"({"sort":"CS_WRAPPED","protected":true,"visible":false,
        "comment":"note","metaData":{"m":true},
        "config":{"mode":"CS_WRAPPED_MODE_DISABLED_HERE","sort":"CS_RATE","config":{"a":1}}})"));

    csUpdateObjectDelWrappedMode(uo.out());
    csUpdateObjectDelComment(uo.out());
    EXPECT_EQ(stored(uo.get()), canonical(R"({"sort":"CS_RATE","config":{"a":1},"protected":true,
        "visible":false,"metaData":{"m":true}})"));
}

TEST_F(CsUpdateObject, PlainEntriesKeepTheirFieldsAndDropOtherKeys) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto uo = restore(R"({"sort":"CS_CONDITION","config":{"k":[1,2]},"protected":true,"visible":false,
        "comment":"c","metaData":{"pelmarq":{}},"trMark":true,"extra":7})");
    ASSERT_TRUE(uo);
    EXPECT_EQ(csUpdateObjectWrappedMode(uo.get()), -1);
    EXPECT_EQ(stored(uo.get()), canonical(R"({"sort":"CS_CONDITION","config":{"k":[1,2]},"protected":true,
        "visible":false,"comment":"c","metaData":{"pelmarq":{}}})"));

    // Values of the wrong kind keep the defaults.
    auto loose = restore(R"({"sort":"CS_X1","config":3,"protected":"yes","visible":0,"comment":5,"metaData":"m"})");
    ASSERT_TRUE(loose);
    EXPECT_EQ(stored(loose.get()),
              canonical(R"({"sort":"CS_X1","config":{},"protected":false,"visible":true,"metaData":{}})"));

    // A plain object given a wrapped mode is written as a wrapped entry.
    csUpdateObjectSetWrappedMode(uo.out(), CS_WRAPPED_MODE_FALLBACK);
    EXPECT_EQ(stored(uo.get()), canonical(R"({"sort":"CS_WRAPPED","protected":true,"visible":false,
        "comment":"c","metaData":{"pelmarq":{}},
        "config":{"mode":"CS_WRAPPED_MODE_FALLBACK","sort":"CS_CONDITION","config":{"k":[1,2]}}})"));
}

TEST_F(CsUpdateObject, WrappedEntriesAreOpenedOneLevelAndWrittenBackWrapped) {
    VTEST_NO_LEAKS_IN_SCOPE();
    const char* entry = R"({"sort":"CS_WRAPPED","protected":false,"visible":true,"metaData":{"x":"y"},
        "config":{"mode":"CS_WRAPPED_MODE_DISABLED","sort":"CS_STUB","config":{"type":"t"}}})";
    auto uo = restore(entry);
    ASSERT_TRUE(uo);
    EXPECT_EQ(take(csUpdateObjectSortName(uo.get())), "CS_STUB");
    EXPECT_EQ(csUpdateObjectWrappedMode(uo.get()), CS_WRAPPED_MODE_DISABLED);
    EXPECT_EQ(encode(adopt(csUpdateObjectConfig(uo.get())).get()), canonical(R"({"type":"t"})"));
    EXPECT_EQ(stored(uo.get()), canonical(entry));

    // A missing or unknown mode reads as fallback; a missing inner config as empty.
    for (const char* modeless : {R"({"sort":"CS_WRAPPED","config":{"sort":"CS_A"}})",
                                 R"({"sort":"CS_WRAPPED","config":{"sort":"CS_A","mode":2}})"}) {
        auto fallback = restore(modeless);
        ASSERT_TRUE(fallback) << modeless;
        EXPECT_EQ(csUpdateObjectWrappedMode(fallback.get()), CS_WRAPPED_MODE_FALLBACK) << modeless;
        EXPECT_EQ(encode(adopt(csUpdateObjectConfig(fallback.get())).get()), canonical("{}"));
    }

    // A wrapped entry inside the wrapped one stays wrapped: only one level opens.
    auto nested = restore(R"({"sort":"CS_WRAPPED","config":{"sort":"CS_WRAPPED","config":{"sort":"CS_A"}}})");
    ASSERT_TRUE(nested);
    EXPECT_EQ(take(csUpdateObjectSortName(nested.get())), "CS_WRAPPED");
}

TEST_F(CsUpdateObject, EntriesWithoutAUsableSortAreNoEntries) {
    VTEST_NO_LEAKS_IN_SCOPE();
    for (const char* bad : {
             R"({})",
             R"({"config":{}})",
             R"({"sort":"cs_condition"})",
             R"({"sort":7})",
             R"({"sort":"CS_WRAPPED"})",
             R"({"sort":"CS_WRAPPED","config":{"config":{}}})",
             R"({"sort":"CS_WRAPPED","config":{"sort":"lower"}})",
         }) {
        EXPECT_FALSE(restore(bad)) << bad;
    }
}

using CsUpdateObjectDeathTest = CsUpdateObject;

TEST_F(CsUpdateObjectDeathTest, BadNamesAndModesStopTheProcess) {
    auto uo = adopt(csUpdateObjectCreate(str("CS_A").get()));
    EXPECT_DEATH(csUpdateObjectCreate(str("cs_a").get()),
                 "cs_update_object.cpp:[0-9]+: pbNameUpperCaseOk\\( sortName, PB_TRUE \\)");
    EXPECT_DEATH(csUpdateObjectSetWrappedMode(uo.out(), 3), "cs_update_object.cpp:[0-9]+: CS_WRAPPED_MODE_OK\\( wm \\)");
}

}  // namespace
