// The configuration files: main and backup with the same bytes, readable
// JSON, fallback to the backup, and failed writes that keep the backup.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "cs/cs.h"
#include "cs/config/cs_config_store.h"
#include "pb/pb.h"
#include "pb/pb_path.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "support/cs_fixture.hpp"

namespace {

using pb::adopt;

class CsConfigStore : public vtest::CsModuleTest {
protected:
    std::string dir;

    void SetUp() override {
        vtest::CsModuleTest::SetUp();
        char tmpl[] = "/tmp/vorlix-config-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        auto paths = adopt(pbRuntimePathsCreate());
        pbRuntimePathsSetPathCstr(paths.out(), PB_RUNTIME_PATH_CONFIGURATION, dir.c_str(), -1);
        pbRuntimeSetPaths(paths.get());
    }
    void TearDown() override {
        std::system(("rm -rf " + dir).c_str());
        vtest::CsModuleTest::TearDown();
    }

    std::string file(const char* name) const { return dir + "/" + name; }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        if (!in) return "<none>";
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    static void write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static pb::Ref<PB_STORE> sample(PB_INT n) {
        auto store = adopt(pbStoreCreate());
        pbStoreSetValueIntCstr(store.out(), "n", -1, n);
        auto objects = adopt(pbStoreCreate());
        pbStoreSetStoreCstr(objects.out(), "a b \xC3\xA9", -1, adopt(pbStoreCreate()).get());
        pbStoreSetStoreCstr(store.out(), "objects", -1, objects.get());
        return store;
    }
    static bool equals(PB_STORE* a, PB_STORE* b) { return a && b && pbStoreEquals(a, b); }
};

TEST_F(CsConfigStore, SaveWritesTwoEqualJsonFilesThatLoadBack) {
    auto config = sample(1);
    ASSERT_TRUE(cs___ConfigStoreSave(config.get()));
    std::string main = read(file("cs.vqconfig")), backup = read(file("cs-backup.vqconfig"));
    EXPECT_EQ(main, backup);
    EXPECT_EQ(main.rfind("{\n  \"vorlixStoreHeader\":{\"type\":\"CS_CONFIG\"}", 0), 0u) << main;
    auto loaded = adopt(cs___ConfigStoreLoad());
    EXPECT_TRUE(equals(loaded.get(), config.get()));
}

TEST_F(CsConfigStore, LoadFallsBackToTheBackup) {
    auto first = sample(1);
    ASSERT_TRUE(cs___ConfigStoreSave(first.get()));
    std::string good = read(file("cs.vqconfig"));
    std::string otherType = "{\"vorlixStoreHeader\":{\"type\":\"OTHER\"},\"store\":{}}";
    for (const std::string& broken : {std::string("<removed>"), good.substr(0, good.size() / 2),
                                      std::string("\x01garbage"), otherType}) {
        if (broken == "<removed>") std::remove(file("cs.vqconfig").c_str());
        else write(file("cs.vqconfig"), broken);
        auto loaded = adopt(cs___ConfigStoreLoad());
        EXPECT_TRUE(equals(loaded.get(), first.get())) << broken;
    }
    std::remove(file("cs-backup.vqconfig").c_str());
    EXPECT_FALSE(adopt(cs___ConfigStoreLoad()));
}

TEST_F(CsConfigStore, LoadFromFileTakesHeaderlessStoresAndOnlyItsOwnHeader) {
    auto path = adopt(pbStringCreateFromCstr(file("x").c_str(), -1));
    write(file("x"), "{\"a\":1}");
    auto plain = adopt(cs___ConfigStoreLoadFromFile(path.get()));
    ASSERT_TRUE(plain);
    EXPECT_EQ(pbStoreLength(plain.get()), 1);
    write(file("x"), "{\"vorlixStoreHeader\":{\"type\":\"CS_OTHER\"},\"store\":{\"a\":1}}");
    EXPECT_FALSE(adopt(cs___ConfigStoreLoadFromFile(path.get())));

    auto config = sample(3);
    ASSERT_TRUE(cs___ConfigStoreSaveToFile(config.get(), path.get()));
    EXPECT_TRUE(equals(adopt(cs___ConfigStoreLoadFromFile(path.get())).get(), config.get()));
    auto nowhere = adopt(pbStringCreateFromCstr((dir + "/missing/x").c_str(), -1));
    EXPECT_FALSE(cs___ConfigStoreSaveToFile(config.get(), nowhere.get()));
}

// A failed write of either file: the injected-failure test of
// cs_config_store_crash_test.cpp, at every step.

TEST_F(CsConfigStore, NoConfigurationDirectoryMeansNoFiles) {
    pbRuntimeSetPaths(adopt(pbRuntimePathsCreate()).get());
    EXPECT_FALSE(cs___ConfigStoreSave(sample(1).get()));
    EXPECT_FALSE(adopt(cs___ConfigStoreLoad()));
}

using CsConfigStoreDeathTest = CsConfigStore;

TEST_F(CsConfigStoreDeathTest, ArgumentsMustNotBeNull) {
    EXPECT_DEATH(cs___ConfigStoreSave(nullptr), "cs_config_store.cpp:[0-9]+: config\n");
}

}  // namespace
