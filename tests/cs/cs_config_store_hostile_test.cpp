// Hostile configuration files: each is refused with a reason a person can
// act on, the load falls back to the backup, and neither file changes.
// Within the decoder's bounds a large value is still a configuration.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "cs/config/cs_config_store.h"
#include "pb/pb.h"
#include "pb/pb_path.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "pb/pb_store_encoding.h"
#include "support/cs_fixture.hpp"
#include "support/store_text.hpp"

namespace {

using pb::adopt;

class CsConfigStoreHostile : public vtest::CsModuleTest {
protected:
    std::string dir;
    pb::Ref<PB_STRING> main, backup;

    void SetUp() override {
        vtest::CsModuleTest::SetUp();
        char tmpl[] = "/tmp/vorlix-hostile-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        auto paths = adopt(pbRuntimePathsCreate());
        pbRuntimePathsSetPathCstr(paths.out(), PB_RUNTIME_PATH_CONFIGURATION, dir.c_str(), -1);
        pbRuntimeSetPaths(paths.get());
        main = vtest::str((dir + "/cs.vqconfig").c_str());
        backup = vtest::str((dir + "/cs-backup.vqconfig").c_str());
    }
    void TearDown() override {
        main.reset();
        backup.reset();
        std::system(("rm -rf " + dir).c_str());
        vtest::CsModuleTest::TearDown();
    }
    static pb::Ref<PB_BUFFER> bytes(const std::string& text) {
        auto b = adopt(pbBufferCreate());
        pbBufferAppendBytes(b.out(), text.data(), PB_INT(text.size()));
        return b;
    }
    static std::string configFile(const std::string& store) {
        return "{\"vorlixStoreHeader\":{\"type\":\"CS_CONFIG\"},\"store\":" + store + "}";
    }
};

TEST_F(CsConfigStoreHostile, EachIsRefusedWithAReasonAndNothingChanges) {
    auto good = vtest::json(R"({"objects":{"a":{"sort":"CS_STUB"}}})");
    ASSERT_TRUE(cs___ConfigStoreSave(good.get()));
    auto backupBefore = adopt(pbPathFileReadBuffer(backup.get()));

    std::string deep = "1";
    for (int i = 0; i < PB_STORE_ENCODING_MAX_DEPTH + 5; ++i) deep = "{\"k\":" + deep + "}";
    struct { const char* what; std::string file; } hostile[] = {
        {"nesting beyond the depth limit", configFile(deep)},
        {"invalid UTF-8 in a value", configFile("{\"comment\":\"\xC3\x28\xFF\"}")},
        {"invalid UTF-8 in a key", configFile("{\"\xED\xA0\x80\":1}")},
        {"an integer beyond 64 bits", configFile("{\"n\":9223372036854775808}")},
        {"a negative integer beyond 64 bits", configFile("{\"n\":-99999999999999999999}")},
        {"a fraction", configFile("{\"n\":1.5}")},
        {"duplicate keys", configFile("{\"objects\":{},\"objects\":{}}")},
        {"a raw control character in a key", configFile("{\"a\x01\":1}")},
        {"an escaped control character in a key", configFile("{\"a\\u0007b\":1}")},
        {"a key longer than an address may be", configFile("{\"" + std::string(2000, 'k') + "\":1}")},
        {"a 10 MB string left open", configFile("{\"s\":\"" + std::string(10 << 20, 'x'))},
        {"null", configFile("{\"objects\":null}")},
        {"trailing bytes", configFile("{}") + "{}"},
    };
    for (auto& h : hostile) {
        SCOPED_TRACE(h.what);
        ASSERT_TRUE(pbPathFileWriteBuffer(main.get(), bytes(h.file).get()));
        auto mainBefore = adopt(pbPathFileReadBuffer(main.get()));
        EXPECT_FALSE(adopt(cs___ConfigStoreLoadFromFile(main.get())));
        std::string reason = vtest::take(pbStoreDecodeError(mainBefore.get()));
        EXPECT_NE(reason, "<null>");
        EXPECT_GT(reason.size(), 10u) << reason;
        auto loaded = adopt(cs___ConfigStoreLoad());
        EXPECT_TRUE(loaded && pbStoreEquals(loaded.get(), good.get()));
        EXPECT_TRUE(pbBufferEquals(adopt(pbPathFileReadBuffer(main.get())).get(), mainBefore.get()));
        EXPECT_TRUE(pbBufferEquals(adopt(pbPathFileReadBuffer(backup.get())).get(), backupBefore.get()));
    }

    // A file beyond the size bound is refused without being read (a sparse
    // file: it costs no disk).
    int fd = ::open((dir + "/cs.vqconfig").c_str(), O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t(PB_STORE_ENCODING_MAX_BYTES) + 1), 0);
    ::close(fd);
    // Were the big file read, this would make the backup's read fail.
    pb___PathFileFailStep(PB___PATH_FILE_STEP_READ, 1, 1);
    auto loaded = adopt(cs___ConfigStoreLoad());
    pb___PathFileFailStep(PB___PATH_FILE_STEP_READ, 0, 0);
    EXPECT_TRUE(loaded && pbStoreEquals(loaded.get(), good.get()));
}

// A 10 MB string is within the decoder's bounds: it loads intact.
TEST_F(CsConfigStoreHostile, LargeValuesWithinTheBoundsLoadIntact) {
    auto config = adopt(pbStoreCreate());
    std::string big(10 << 20, 'x');
    big[12345] = '"';
    big[54321] = '\x01';
    pbStoreSetValueCstr(config.out(), "comment", -1, vtest::str(big.c_str()).get());
    ASSERT_TRUE(cs___ConfigStoreSave(config.get()));
    auto loaded = adopt(cs___ConfigStoreLoad());
    EXPECT_TRUE(loaded && pbStoreEquals(loaded.get(), config.get()));
}

}  // namespace
