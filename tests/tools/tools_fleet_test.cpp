// The group's form of a configuration (the host's own values out, and back
// in before an apply) and the reading of etcd's gateway answers.
#include <gtest/gtest.h>

#include "../../tools/common/etcd_client.h"
#include "../../tools/common/fleet_config.h"
#include "support/cs_fixture.hpp"
#include "support/store_text.hpp"

namespace {

using vorlix::tools::EtcdClient;
using vorlix::tools::EtcdKv;
using vtest::canonical;
using vtest::encode;
using vtest::json;

class ToolsFleet : public vtest::CsModuleTest {};

// The system identifier never travels; values the group lacks come back
// from the host, but only inside entries the group still has, and a value
// the group holds wins over the host's.
TEST_F(ToolsFleet, HostValuesLeaveAndComeBack) {
    auto host = json(R"({"modules":{"cs":{"config":{"systemIdentifier":"id-1","comment":"c"}},
                                    "demo":{"config":{"label":"a","token":"t","auth":{"user":"u","pw":"p"}}}},
                         "objects":{"a":{"sort":"S","config":{"key":"k1","n":1}},
                                    "gone":{"sort":"S","config":{"key":"k2"}}}})");
    auto reduced = vorlix::tools::withoutHostValues(host.get());
    EXPECT_EQ(encode(reduced.get()), encode(json(R"({"modules":{"cs":{"config":{"comment":"c"}},
        "demo":{"config":{"label":"a","token":"t","auth":{"user":"u","pw":"p"}}}},
        "objects":{"a":{"sort":"S","config":{"key":"k1","n":1}},"gone":{"sort":"S","config":{"key":"k2"}}}})").get()));
    // What the group would hold without private data: token, auth/pw, a/key.
    auto group = json(R"({"modules":{"cs":{"config":{"comment":"c"}},
                                     "demo":{"config":{"label":"a","auth":{"user":"u"}}}},
                          "objects":{"a":{"sort":"S","config":{"n":1}},
                                     "gone":{"sort":"S","config":{}}}})");
    auto kept = vorlix::tools::hostValues(host.get(), group.get());
    EXPECT_EQ(encode(kept.get()),
              canonical(R"({"modules":{"cs":{"config":{"systemIdentifier":"id-1"}},
                                       "demo":{"config":{"token":"t","auth":{"pw":"p"}}}},
                            "objects":{"a":{"config":{"key":"k1"}},"gone":{"config":{"key":"k2"}}}})"));
    // A new revision: label changed, "gone" removed, a's key set by the group.
    auto next = json(R"({"modules":{"cs":{"config":{"comment":"c"}},
                                    "demo":{"config":{"label":"b","auth":{"user":"v"}}}},
                         "objects":{"a":{"sort":"S","config":{"n":2,"key":"group"}}}})");
    EXPECT_EQ(encode(vorlix::tools::keepHostValues(next.get(), kept.get()).get()),
              canonical(R"({"modules":{"cs":{"config":{"comment":"c","systemIdentifier":"id-1"}},
                                       "demo":{"config":{"label":"b","auth":{"user":"v","pw":"p"},"token":"t"}}},
                            "objects":{"a":{"sort":"S","config":{"n":2,"key":"group"}}}})"));
}

// The group's key holds a configuration file's bytes; anything else is
// refused with a reason.
TEST_F(ToolsFleet, GroupKeyHoldsTheConfigurationFileForm) {
    auto config = json(R"({"objects":{"a":{"sort":"S","config":{}}}})");
    std::string bytes = vorlix::tools::encodeConfig(config.get());
    EXPECT_NE(bytes.find("CS_CONFIG"), std::string::npos);
    std::string error;
    EXPECT_EQ(encode(vorlix::tools::decodeConfig(bytes, &error).get()), encode(config.get()));
    EXPECT_FALSE(vorlix::tools::decodeConfig(R"({"vorlixStoreHeader":{"type":"TR_TRACE"},"store":{}})", &error));
    EXPECT_NE(error.find("TR_TRACE"), std::string::npos);
    EXPECT_FALSE(vorlix::tools::decodeConfig("{\"objects\":", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(vorlix::tools::fleetGroupNameOk("web-1.eu_west"));
    EXPECT_FALSE(vorlix::tools::fleetGroupNameOk("a/b"));
    EXPECT_FALSE(vorlix::tools::fleetGroupNameOk(""));
}

// A watch stream arrives in arbitrary pieces: only whole objects are
// taken, braces inside strings do not count, the rest waits; split at
// every byte, the same objects come out.
TEST_F(ToolsFleet, WatchStreamIsSplitIntoWholeObjects) {
    const std::string stream = R"({"result":{"created":true}}{"result":{"events":[{"kv":{"key":"e30i"}}]}})" "\n"
                               R"({"result":{"x":"}{\"{"}})" "\n" R"({"result":{"events":[]}})";
    EtcdClient::JsonSplitter whole;
    auto objects = whole.feed(stream.substr(0, stream.size() - 3));
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[2], R"({"result":{"x":"}{\"{"}})");
    EXPECT_TRUE(whole.feed("]}").empty());
    EXPECT_EQ(whole.feed("}"), std::vector<std::string>{R"({"result":{"events":[]}})"});

    EtcdClient::JsonSplitter bytewise;
    std::vector<std::string> pieces;
    for (char c : stream)
        for (auto& o : bytewise.feed(std::string_view(&c, 1))) pieces.push_back(o);
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[2], objects[2]);
}

// Range answers: base64 keys and values, revisions as strings, fields at
// zero left out; a value that is not base64 makes the answer unusable.
TEST_F(ToolsFleet, RangeAnswersAreDecoded) {
    std::vector<EtcdKv> kvs;
    long long revision = 0;
    ASSERT_TRUE(EtcdClient::parseKvs(
        R"({"header":{"revision":"42"},"kvs":[{"key":"YQ==","value":"aGVsbG8=","create_revision":"3",
            "mod_revision":"41","version":"7","lease":"694d71ddacfda227"},{"key":"Zm9v","mod_revision":"5"}],"count":"2"})",
        &kvs, &revision));
    EXPECT_EQ(revision, 42);
    ASSERT_EQ(kvs.size(), 2u);
    EXPECT_EQ(kvs[0].key, "a");
    EXPECT_EQ(kvs[0].value, "hello");
    EXPECT_EQ(kvs[0].modRevision, 41);
    EXPECT_EQ(kvs[0].createRevision, 3);
    EXPECT_EQ(kvs[1].key, "foo");
    EXPECT_EQ(kvs[1].value, "");
    ASSERT_TRUE(EtcdClient::parseKvs(R"({"header":{"revision":"9"}})", &kvs, &revision));
    EXPECT_TRUE(kvs.empty());
    for (const char* bad : {"not base64!", "YQ=", "Y===", "YQ=a"})
        EXPECT_FALSE(EtcdClient::parseKvs(std::string(R"({"kvs":[{"key":")") + bad + "\"}]}", &kvs, &revision)) << bad;
}

}  // namespace
