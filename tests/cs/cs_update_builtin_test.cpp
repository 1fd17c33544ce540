// The built-in updates of 2000-01-01 and 2024-04-02, run through the update
// table as a caller migrates a stored configuration.
#include "cs_update_test_util.hpp"

namespace {

using pb::adopt;
using vtest::canonical;
using vtest::currentOf;
using vtest::encode;
using vtest::json;

using CsBuiltinUpdates = vtest::CsModuleTest;

// Stub entries of the old form, and objects with node wizard presets.
const std::string kObjects = R"(
  "x":{"sort":"CS_STUB","comment":"the stub's own","metaData":{"s":1},
       "config":{"type":"CS_STUB_CONTAINER_TYPE_DISABLED_OBJECT",
                 "content":{"sort":"CS_CONDITION","config":{"k":1},"protected":true,"visible":false,
                            "comment":"inner","metaData":{"pelmarq":{"nodeWizard":{"preset":"ab-cl-z9","other":1}}}}}},
  "y":{"sort":"CS_STUB","config":{"type":"CS_STUB_CONTAINER_TYPE_OTHER","content":{"sort":"CS_CONDITION"}}},
  "z":{"sort":"CS_STUB","config":{"type":"CS_STUB_CONTAINER_TYPE_DISABLED_OBJECT","content":{"sort":"bad"}}},
  "w":{"sort":"CS_WRAPPED","config":{"mode":"CS_WRAPPED_MODE_FALLBACK","sort":"CS_STUB",
       "config":{"type":"CS_STUB_CONTAINER_TYPE_DISABLED_OBJECT",
                 "content":{"sort":"CS_WRAPPED","config":{"sort":"CS_RATE","config":{"r":2}}}}}},
  "p":{"sort":"CS_CONDITION","trMark":true,"metaData":{"pelmarq":{"nodeWizard":{"preset":"--"}}}},
  "q":{"sort":"CS_CONDITION","metaData":{"pelmarq":{"objectInformationId":"KEEP","nodeWizard":{"preset":"ab"}}}})";

// The entries as both updates leave them.
const std::string kX = R"("x":{"sort":"CS_WRAPPED","protected":true,"visible":false,"comment":"inner",
    "config":{"mode":"CS_WRAPPED_MODE_DISABLED","sort":"CS_CONDITION","config":{"k":1}},
    "metaData":{"pelmarq":{"nodeWizard":{"other":1},"objectInformationId":"ABC009"}}})";
const std::string kW = R"("w":{"sort":"CS_WRAPPED","protected":false,"visible":true,"metaData":{},
    "config":{"mode":"CS_WRAPPED_MODE_DISABLED","sort":"CS_RATE","config":{"r":2}}})";
const std::string kP = R"("p":{"sort":"CS_CONDITION","config":{},"protected":false,"visible":true,
    "metaData":{"pelmarq":{"nodeWizard":{},"objectInformationId":""}}})";

// The unchanged entries y, z and q of kObjects, cut out of it.
std::string entry(const char* name) {
    auto objects = json("{" + kObjects + "}");
    auto one = adopt(pbStoreStoreCstr(objects.get(), name, -1));
    return std::string("\"") + name + "\":" + encode(one.get());
}

std::string migrate(const std::string& config) {
    auto loaded = json(config);
    auto update = adopt(csUpdateCreate(loaded.get()));
    auto held = update;  // the updates copy before they write
    csUpdateTableUpdate(update.out());
    EXPECT_EQ(encode(loaded.get()), canonical(config));
    EXPECT_EQ(currentOf(held.get()), canonical(config));
    return currentOf(update.get());
}

TEST_F(CsBuiltinUpdates, AConfigurationWithoutVersionPassesThroughBoth) {
    VTEST_NO_LEAKS_IN_SCOPE();
    const std::string migrated = canonical(R"({"modules":{"cs":{"version":"5.0"}},"objects":{)" + kX + "," +
                                           entry("y") + "," + entry("z") + "," + kW + "," + kP + "," + entry("q") +
                                           "}}");
    EXPECT_EQ(migrate(R"({"objects":{)" + kObjects + "}}"), migrated);
    // A version that does not read counts as none; one below 1.0 as old.
    for (const char* old : {"abc", "0.9"}) {
        EXPECT_EQ(migrate(std::string(R"({"modules":{"cs":{"version":")") + old + R"("}},"objects":{)" + kObjects +
                          "}}"),
                  migrated)
            << old;
    }
    // Nothing to convert: only the version is written.
    EXPECT_EQ(migrate(R"({"info":{"a":1}})"), canonical(R"({"info":{"a":1},"modules":{"cs":{"version":"5.0"}}})"));
}

TEST_F(CsBuiltinUpdates, VersionOneRunsOnlyTheSecondUpdate) {
    VTEST_NO_LEAKS_IN_SCOPE();
    // x keeps its stub entry: its own meta data holds no preset.
    EXPECT_EQ(migrate(R"({"modules":{"cs":{"version":"1.0"},"demo":{"version":"0.1"}},"objects":{)" + kObjects + "}}"),
              canonical(R"({"modules":{"cs":{"version":"5.0"},"demo":{"version":"0.1"}},"objects":{)" + entry("x") +
                        "," + entry("y") + "," + entry("z") + "," + entry("w") + "," + kP + "," + entry("q") + "}}"));
}

TEST_F(CsBuiltinUpdates, VersionFiveOrLaterIsLeftAlone) {
    VTEST_NO_LEAKS_IN_SCOPE();
    for (const char* recent : {"5.0", "7.3.1"}) {
        std::string config = std::string(R"({"modules":{"cs":{"version":")") + recent + R"("}},"objects":{)" + kObjects + "}}";
        auto loaded = json(config);
        auto update = adopt(csUpdateCreate(loaded.get()));
        csUpdateTableUpdate(update.out());
        EXPECT_EQ(adopt(csUpdateCurrent(update.get())).get(), loaded.get()) << recent;
    }
}

TEST_F(CsBuiltinUpdates, PresetsBecomeIdentifiers) {
    VTEST_NO_LEAKS_IN_SCOPE();
    const std::pair<const char*, const char*> cases[] = {
        {"ab-cl-z9", "ABC009"}, {"--", ""}, {"", ""}, {"lz-LZ", "0000"}, {"x1-y2", "X1Y2"}, {"\xc3\xa4l", "\xc3\x84" "0"},
    };
    for (const auto& [preset, id] : cases) {
        std::string config = std::string(R"({"objects":{"o":{"sort":"CS_A","metaData":{"pelmarq":{"nodeWizard":{"preset":")") +
                             preset + R"("}}}}}})";
        std::string expected = std::string(R"({"modules":{"cs":{"version":"5.0"}},"objects":{"o":{"sort":"CS_A",
            "config":{},"protected":false,"visible":true,
            "metaData":{"pelmarq":{"nodeWizard":{},"objectInformationId":")") + id + R"("}}}}})";
        EXPECT_EQ(migrate(config), canonical(expected)) << preset;
    }
}

}  // namespace
