// Files: atomic replacement, reading stores back, deletion, byte sinks.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "pb/pb.h"
#include "pb/pb_path.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_store_encoding.h"
#include "support/live_objects.hpp"
#include "support/text.hpp"

namespace {

using pb::adopt;

struct PbPathTest : testing::Test {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::string dir;
    void SetUp() override {
        char tmpl[] = "/tmp/vorlix-path-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { std::system(("rm -rf " + dir).c_str()); }

    pb::Ref<PB_STRING> path(const char* name) {
        auto p = adopt(pbStringCreateFromCstr(dir.c_str(), -1));
        pbPathAppendComponentFilename(p.out(), adopt(pbStringCreateFromCstr(name, -1)).get());
        return p;
    }
    static pb::Ref<PB_BUFFER> bytes(const std::string& s) {
        return adopt(pbBufferCreateFromBytes(s.data(), PB_INT(s.size())));
    }
    static std::string content(PB_STRING* p) {
        auto b = adopt(pbPathFileReadBuffer(p));
        if (!b) return "<none>";
        return vtest::bytes(b.get());
    }
    int filesInDir() {
        std::string cmd = "ls -A " + dir + " | wc -l";
        FILE* f = popen(cmd.c_str(), "r");
        int n = -1;
        if (fscanf(f, "%d", &n) != 1) n = -1;
        pclose(f);
        return n;
    }
};

TEST_F(PbPathTest, WriteReplacesAtomicallyAndFailureKeepsThePreviousFile) {
    auto p = path("cs.vqconfig");
    EXPECT_EQ(content(p.get()), "<none>");
    ASSERT_TRUE(pbPathFileWriteBuffer(p.get(), bytes("first").get()));
    ASSERT_TRUE(pbPathFileWriteBuffer(p.get(), bytes("second").get()));
    EXPECT_EQ(content(p.get()), "second");

    pb___PathFileFailNextWrites(1);
    EXPECT_FALSE(pbPathFileWriteBuffer(p.get(), bytes("third").get()));
    EXPECT_EQ(content(p.get()), "second");
    EXPECT_EQ(filesInDir(), 1);  // no temporary file left behind
    EXPECT_TRUE(pbPathFileWriteBuffer(p.get(), bytes("fourth").get()));

    auto missing = adopt(pbStringCreateFromCstr((dir + "/no/such/dir/f").c_str(), -1));
    EXPECT_FALSE(pbPathFileWriteBuffer(missing.get(), bytes("x").get()));

    EXPECT_TRUE(pbPathFileDelete(p.get()));
    EXPECT_FALSE(pbPathFileExists(p.get()));
    EXPECT_TRUE(pbPathFileDelete(p.get()));  // already gone
}

// Written files may hold private data: new ones are the owner's alone, and
// replacing a file never widens its mode.
TEST_F(PbPathTest, WrittenFilesAreOwnerOnlyAndNeverWidened) {
    auto modeOf = [](PB_STRING* p) {
        struct stat st;
        EXPECT_EQ(::stat(vtest::utf8(p).c_str(), &st), 0);
        return st.st_mode & 07777;
    };
    auto p = path("cs.vqconfig");
    ASSERT_TRUE(pbPathFileWriteBuffer(p.get(), bytes("a").get()));
    EXPECT_EQ(modeOf(p.get()), 0600u);
    ::chmod(vtest::utf8(p.get()).c_str(), 0644);  // as an older release wrote it
    ASSERT_TRUE(pbPathFileWriteBuffer(p.get(), bytes("b").get()));
    EXPECT_EQ(modeOf(p.get()), 0600u);
    ::chmod(vtest::utf8(p.get()).c_str(), 0400);  // narrowed by an administrator
    ASSERT_TRUE(pbPathFileWriteBuffer(p.get(), bytes("c").get()));
    EXPECT_EQ(modeOf(p.get()), 0400u);
    EXPECT_EQ(content(p.get()), "c");

    auto sinkPath = path("sink");
    pbObjRelease(pbByteSinkObj(pbPathFileOpenByteSink(sinkPath.get())));
    EXPECT_EQ(modeOf(sinkPath.get()), 0600u);
}

TEST_F(PbPathTest, ReadsStoresWithTheirHeader) {
    auto store = adopt(pbStoreCreate());
    pbStoreSetValueIntCstr(store.out(), "n", -1, 42);
    auto header = adopt(pbStoreHeaderCreateCstr("CS_CONFIG", -1));
    auto p = path("s");
    ASSERT_TRUE(pbPathFileWriteBuffer(p.get(), adopt(pbStoreEncode(store.get(), header.get())).get()));
    PB_STORE_HEADER* h = nullptr;
    auto back = adopt(pbPathFileReadStore(p.get(), &h));
    auto hr = adopt(h);
    ASSERT_TRUE(back && hr);
    EXPECT_TRUE(pbStoreHeaderIsTypeCstr(hr.get(), "CS_CONFIG", -1));
    EXPECT_TRUE(pbStoreEquals(back.get(), store.get()));

    ASSERT_TRUE(pbPathFileWriteBuffer(p.get(), bytes("{\"n\":").get()));
    EXPECT_FALSE(adopt(pbPathFileReadStore(p.get(), nullptr)));
}

TEST_F(PbPathTest, ByteSinksCollectOrWriteAndKeepTheirError) {
    auto sink = adopt(pbByteSinkCreateWithBuffer());
    pbByteSinkWrite(sink.get(), "ab", 2);
    pbByteSinkWriteBuffer(sink.get(), bytes("cd").get());
    pbByteSinkFlush(sink.get());
    EXPECT_FALSE(pbByteSinkError(sink.get()));
    auto collected = adopt(pbByteSinkBuffer(sink.get()));
    EXPECT_EQ(pbBufferLength(collected.get()), 4);
    pb___ByteSinkInjectError(sink.get());
    pbByteSinkWrite(sink.get(), "ef", 2);
    EXPECT_TRUE(pbByteSinkError(sink.get()));
    EXPECT_EQ(pbBufferLength(adopt(pbByteSinkBuffer(sink.get())).get()), 4);

    auto p = path("sink");
    {
        auto file = adopt(pbPathFileOpenByteSink(p.get()));
        ASSERT_TRUE(file);
        pbByteSinkWrite(file.get(), "hello", 5);
        pbByteSinkFlush(file.get());
        EXPECT_FALSE(pbByteSinkError(file.get()));
        EXPECT_EQ(pbByteSinkBuffer(file.get()), nullptr);
    }
    EXPECT_EQ(content(p.get()), "hello");
    auto bad = adopt(pbStringCreateFromCstr((dir + "/missing/f").c_str(), -1));
    EXPECT_FALSE(adopt(pbPathFileOpenByteSink(bad.get())));
}

TEST(PbPathDeathTest, ComponentMustBeOneFileName) {
    auto p = adopt(pbStringCreateFromCstr("/tmp", -1));
    auto bad = adopt(pbStringCreateFromCstr("a/b", -1));
    EXPECT_DEATH(pbPathAppendComponentFilename(p.out(), bad.get()), "pbStringFindChar\\( filename, 0, '/' \\)");
}

}  // namespace
