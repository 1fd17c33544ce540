// What the host and vorlix-config share: the review of entries that apply
// skips (checked against apply itself), the structural difference, the
// endpoint's configuration without private data, and the metrics text.
#include <gtest/gtest.h>

#include "../../tools/common/config_diff.h"
#include "../../tools/common/config_public.h"
#include "../../tools/common/config_review.h"
#include "../../tools/common/status_export.h"
#include "cs/cs.h"
#include "support/cs_fixture.hpp"
#include "support/store_text.hpp"

namespace {

using pb::adopt;
using vtest::json;
using vtest::str;

// A configurable thing with a status reporter and one private key.
struct Thing {
    PB_OBJ obj;
    CS_STATUS_REPORTER* rep;
};
void thingFree(PB_OBJ* obj) { pbObjRelease(reinterpret_cast<PB_OBJ*>(reinterpret_cast<Thing*>(obj)->rep)); }
PB_SORT_DEFINE(thingSort, &cs___module, "TOOLS_THING", thingFree, nullptr, nullptr);
PB_OBJ* thingTryCreate(PB_OBJ*, PB_STORE*, TR_ANCHOR*) {
    auto* t = reinterpret_cast<Thing*>(pbObjCreate(sizeof(Thing), &thingSort));
    t->rep = csStatusReporterCreate(nullptr);
    return &t->obj;
}
PB_STORE* thingConfig(PB_OBJ*, PB_OBJ*, PB_BOOL, PB_BOOL includePrivateData) {
    PB_STORE* config = pbStoreCreate();
    pbStoreSetValueIntCstr(&config, "level", -1, 3);
    if (includePrivateData) pbStoreSetValueCstr(&config, "secret", -1, str("pw").get());
    return config;
}
CS_STATUS* thingStatus(PB_OBJ*, PB_OBJ* obj) { return csStatusReporterStatus(reinterpret_cast<Thing*>(obj)->rep); }

class ToolsConfig : public vtest::CsModuleTest {
protected:
    pb::Ref<CS_SORT_BACKEND> backend;
    void SetUp() override {
        vtest::CsModuleTest::SetUp();
        backend = adopt(
            csSortBackendCreate(&thingSort, thingTryCreate, thingConfig, nullptr, nullptr, thingStatus, nullptr, nullptr));
    }
    void TearDown() override {
        csConfigSetConfig(json("{}").get());
        backend.reset();
        vtest::CsModuleTest::TearDown();
    }
};

// Every entry the review names is one that apply leaves out, and no other.
TEST_F(ToolsConfig, ReviewNamesExactlyWhatApplySkips) {
    auto config = json(R"({"modules":{"cs":{},"Bad Name":{},"demo":1},
        "objects":{"ok":{"sort":"TOOLS_THING"},"empty":{},"none":{"config":{}},"lower":{"sort":"greeter"},
                   "number":{"sort":7},"flat":"x","wrapped":{"sort":"NOT_REGISTERED"}}})");
    std::vector<std::string> named;
    for (const auto& s : vorlix::tools::skippedEntries(config.get())) named.push_back(s.part + "/" + s.name + ": " + s.reason);
    EXPECT_EQ(named, (std::vector<std::string>{
                         "modules/Bad Name: not a valid module name",
                         "modules/demo: the entry is not an object",
                         "objects/flat: the entry is not an object",
                         "objects/lower: its sort \"greeter\" is not an upper-case name (A-Z, 0-9, _)",
                         "objects/none: it has no \"sort\"",
                         "objects/number: its \"sort\" is not a string",
                     }));
    csConfigSetConfig(config.get());
    for (const char* kept : {"ok", "wrapped"}) EXPECT_TRUE(adopt(csObjectTableLookupObjectByName(str(kept).get()))) << kept;
    for (const char* gone : {"flat", "lower", "none", "number"})
        EXPECT_FALSE(adopt(csObjectTableLookupObjectByName(str(gone).get()))) << gone;
    EXPECT_EQ(vorlix::tools::modulesNotLoaded(json(R"({"modules":{"cs":{},"greeter":{},"x":1}})").get()),
              std::vector<std::string>{"greeter"});
}

TEST_F(ToolsConfig, DiffNamesAddedRemovedAndChangedKeys) {
    auto a = json(R"({"info":{"pid":1},"objects":{"a":{"sort":"S","config":{"x":1,"deep":{"y":true}}},"b":{"sort":"S"}}})");
    auto b = json(R"({"info":{"pid":2},"objects":{"a":{"sort":"S","config":{"x":"1","deep":{"y":false},"z":0}},"c":{}}})");
    auto diff = vorlix::tools::diffConfigs(a.get(), b.get());
    EXPECT_TRUE(diff.modules.empty());
    EXPECT_EQ(diff.objects.added, std::vector<std::string>{"c"});
    EXPECT_EQ(diff.objects.removed, std::vector<std::string>{"b"});
    ASSERT_EQ(diff.objects.changed.size(), 1u);
    EXPECT_EQ(diff.objects.changed[0].keys, (std::vector<std::string>{"config/deep/y", "config/x", "config/z"}));
    EXPECT_TRUE(vorlix::tools::diffConfigs(a.get(), a.get()).empty());
    EXPECT_EQ(vorlix::tools::diffText(diff), "added object c\nremoved object b\nchanged object a: config/deep/y config/x config/z\n");
}

TEST_F(ToolsConfig, EndpointConfigLeavesPrivateDataOut) {
    csConfigSetConfig(json(R"({"objects":{"t":{"sort":"TOOLS_THING"}}})").get());
    auto full = adopt(csConfigConfig(nullptr));
    EXPECT_NE(vtest::encode(full.get()).find("\"secret\""), std::string::npos);
    auto shown = vorlix::tools::configWithoutPrivateData();
    std::string text = vtest::encode(shown.get());
    EXPECT_EQ(text.find("\"secret\""), std::string::npos);
    EXPECT_NE(text.find("\"level\":3"), std::string::npos);
}

TEST_F(ToolsConfig, MetricsHoldBooleanAndIntegerItemsAsLabelledGauges) {
    csConfigSetConfig(json(R"({"objects":{"t1":{"sort":"TOOLS_THING"},"t2":{"sort":"TOOLS_THING"}}})").get());
    for (const char* name : {"t1", "t2"}) {
        auto object = adopt(csObjectTableLookupObjectByName(str(name).get()));
        auto* t = reinterpret_cast<Thing*>(object.get());
        csStatusReporterSetItemCstrInt(t->rep, "fooSessions", -1, name[1] == '1' ? 5 : -2);
        csStatusReporterSetItemCstrBool(t->rep, "fooReady", -1, PB_TRUE);
        csStatusReporterSetItemCstrString(t->rep, "fooPeer", -1, str("x").get());
    }
    std::string text = vorlix::tools::metricsText();
    EXPECT_NE(text.find("# TYPE vorlix_foo_sessions gauge\nvorlix_foo_sessions{object=\"t1\"} 5\n"
                        "vorlix_foo_sessions{object=\"t2\"} -2\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("vorlix_foo_ready{object=\"t2\"} 1\n"), std::string::npos);
    EXPECT_NE(text.find("vorlix_cs_maintenance_mode_active{module=\"cs\"} 0\n"), std::string::npos);
    EXPECT_EQ(text.find("foo_peer"), std::string::npos);
    EXPECT_EQ(vorlix::tools::metricName("csConditionValue"), "vorlix_cs_condition_value");
    EXPECT_EQ(vorlix::tools::metricName("rate.Second-x"), "vorlix_rate_second_x");
    auto status = vorlix::tools::statusStore();
    EXPECT_EQ(vtest::encode(adopt(pbStoreStoreCstr(adopt(pbStoreStoreCstr(status.get(), "objects", -1)).get(), "t1", -1)).get()),
              vtest::canonical(R"({"sort":"TOOLS_THING","status":{"fooPeer":"x","fooReady":true,"fooSessions":5}})"));
}

}  // namespace
