// The trace sink: one JSON object per line for every kind of event,
// flushing, and the flush on a failed precondition.
#include <gtest/gtest.h>
#include <simdjson.h>
#include <unistd.h>

#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime_clock.h"
#include "pb/pb_store.h"
#include "pb/pb_timestamp.h"
#include "support/live_objects.hpp"
#include "tr/tr.h"

namespace {

using pb::adopt;

// A file name of this test program's own: a death test's child process
// must find the same one, and builds that run side by side must not.
std::string tempPath(const char* name) {
    char exe[4096] = {0};
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    size_t tag = std::hash<std::string>()(std::string(exe, n > 0 ? size_t(n) : 0));
    return testing::TempDir() + "tr_sink_" + name + "_" + std::to_string(tag) + ".jsonl";
}

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> fileLines(const std::string& path) {
    std::vector<std::string> out;
    std::istringstream in(fileText(path));
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// One parsed sink line; fields that are absent read as "<absent>".
class Event {
public:
    Event(const Event&) = delete;
    explicit Event(const std::string& line) : text_(line) {
        EXPECT_EQ(parser_.parse(text_).get(root_), simdjson::SUCCESS) << line;
    }
    std::string str(const char* field) {
        std::string_view v;
        if (root_[field].get(v) != simdjson::SUCCESS) return "<absent>";
        return std::string(v);
    }
    int64_t num(const char* field) {
        int64_t v = -1;
        EXPECT_EQ(root_[field].get(v), simdjson::SUCCESS) << field << " in " << std::string(text_);
        return v;
    }
    // The field's value as minified JSON.
    std::string json(const char* field) {
        simdjson::dom::element e;
        if (root_[field].get(e) != simdjson::SUCCESS) return "<absent>";
        return simdjson::minify(e);
    }

private:
    simdjson::padded_string text_;
    simdjson::dom::parser parser_;
    simdjson::dom::element root_;
};

TEST(TrSink, WritesEveryEventAsOneJsonLine) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::string path = tempPath("events");
    std::remove(path.c_str());
    pbRuntimeSetManualClock(PB_TRUE);
    PB_INT t0 = pbTimestamp();
    ASSERT_TRUE(trSinkOpenFileCstr(path.c_str(), -1));
    EXPECT_TRUE(trSinkActive());
    PB_INT id;
    PB_INT markId;
    PB_INT targetId;
    const std::string tricky = "q\"b\\n\n\t\x01 \xC3\xA9 \xF0\x9F\x98\x80";
    {
        auto s = adopt(trStreamCreateCstr("CS_\"X\"", -1));
        id = trStreamId(s.get());
        pbRuntimeManualAdvance(250);
        auto store = adopt(pbStoreCreate());
        pbStoreSetValueIntCstr(store.out(), "n", -1, -3);
        pbStoreSetValueCstr(store.out(), "s", -1, adopt(pbStringCreateFromCstr("v", -1)).get());
        auto buffer = adopt(pbBufferCreateFromBytes("foob", 4));
        trStreamSetPropertyCstrBool(s.get(), "b", -1, PB_TRUE);
        trStreamSetPropertyCstrInt(s.get(), "i", -1, PB_INT_MIN);
        trStreamSetPropertyCstrString(s.get(), "s", -1, adopt(pbStringCreateFromCstr(tricky.c_str(), -1)).get());
        trStreamSetPropertyCstrStore(s.get(), "st", -1, store.get());
        trStreamSetPropertyCstrBuffer(s.get(), "bu", -1, buffer.get());
        trStreamDelPropertyCstr(s.get(), "b", -1);
        trStreamTextFormatCstr(s.get(), "line %i", -1, PB_INT(1));
        trStreamSetConfiguration(s.get(), store.get());
        trStreamSetConfiguration(s.get(), nullptr);
        auto mark = adopt(trMarkCreate());
        markId = trMarkId(mark.get());
        trStreamSetExplicitMark(s.get(), mark.get());
        trStreamSetExplicitMark(s.get(), nullptr);
        tr___SystemMarkScrub(mark.get());
        tr___SystemMarkScrub(mark.get());  // told once
        auto target = adopt(trStreamCreateCstr("T", -1));
        targetId = trStreamId(target.get());
        trAnchorComplete(adopt(trAnchorCreateWithAnnotationCstr(s.get(), 10, "ann", -1)).get(), target.get());
        trAnchorComplete(adopt(trAnchorCreate(s.get(), 12)).get(), target.get());
    }
    trSinkClose();
    EXPECT_FALSE(trSinkActive());
    pbRuntimeSetManualClock(PB_FALSE);

    std::vector<std::string> lines = fileLines(path);
    ASSERT_EQ(lines.size(), 18u) << fileText(path);
    std::deque<Event> ev;  // an element points into its parser, which must stay put
    for (const auto& l : lines) ev.emplace_back(l);
    const char* events[] = {"streamCreated", "propertySet", "propertySet", "propertySet", "propertySet",
                            "propertySet", "propertyDeleted", "text", "configurationSet", "configurationSet",
                            "markSet", "markSet", "markScrubbed", "streamCreated", "anchorCompleted",
                            "anchorCompleted", "streamEnded", "streamEnded"};
    for (size_t i = 0; i < 18; ++i) EXPECT_EQ(ev[i].str("event"), events[i]) << lines[i];
    EXPECT_EQ(ev[0].num("time"), t0);
    EXPECT_EQ(ev[1].num("time"), t0 + 250);
    EXPECT_EQ(ev[0].num("stream"), id);
    EXPECT_EQ(ev[1].str("name"), "CS_\"X\"");

    EXPECT_EQ(ev[1].str("key") + ev[1].str("type") + ev[1].json("value"), "bbooltrue");
    EXPECT_EQ(ev[2].str("type") + ev[2].json("value"), "int-9223372036854775808");
    EXPECT_EQ(ev[3].str("value"), tricky);
    EXPECT_EQ(ev[4].str("type") + ev[4].json("value"), "store{\"n\":-3,\"s\":\"v\"}");
    EXPECT_EQ(ev[5].str("type") + ev[5].str("value"), "bufferZm9vYg==");
    EXPECT_EQ(ev[6].str("key") + ev[6].str("value"), "b<absent>");
    EXPECT_EQ(ev[7].str("value"), "line 1");
    EXPECT_EQ(ev[8].json("value"), "{\"n\":-3,\"s\":\"v\"}");
    EXPECT_EQ(ev[9].json("value"), "null");
    EXPECT_EQ(ev[10].num("value"), markId);
    EXPECT_EQ(ev[11].json("value"), "null");
    EXPECT_EQ(ev[12].num("mark"), markId);
    EXPECT_EQ(ev[12].json("stream"), "<absent>");
    EXPECT_EQ(ev[14].num("kind"), 10);
    EXPECT_EQ(ev[14].str("annotation"), "ann");
    EXPECT_EQ(ev[14].num("target"), targetId);
    EXPECT_EQ(ev[14].str("targetName"), "T");
    EXPECT_EQ(ev[15].str("annotation"), "<absent>");
    // The stream goes first; its links then release the target.
    EXPECT_EQ(ev[16].num("stream"), id);
    EXPECT_EQ(ev[17].num("stream"), targetId);
    std::remove(path.c_str());
}

TEST(TrSink, FlushesOnRequestAndWritesNothingWhileClosed) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::string path = tempPath("flush");
    std::remove(path.c_str());
    auto s = adopt(trStreamCreateCstr("cs", -1));
    trStreamTextCstr(s.get(), "before", -1);
    ASSERT_TRUE(trSinkOpenFileCstr(path.c_str(), -1));
    trStreamTextCstr(s.get(), "during", -1);
    trSinkFlush();
    EXPECT_EQ(fileLines(path).size(), 1u);
    trSinkClose();
    trSinkClose();
    trStreamTextCstr(s.get(), "after", -1);
    // Reopening appends.
    ASSERT_TRUE(trSinkOpenFileCstr(path.c_str(), PB_INT(path.size())));
    trStreamTextCstr(s.get(), "again", -1);
    trSinkClose();
    auto lines = fileLines(path);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Event(lines[0]).str("value") + Event(lines[1]).str("value"), "duringagain");
    EXPECT_FALSE(trSinkOpenFileCstr("/nonexistent-dir/trace.jsonl", -1));
    EXPECT_FALSE(trSinkActive());
    std::remove(path.c_str());
}

// Lines written from several threads never interleave.
TEST(TrSink, LinesFromManyThreadsStayWhole) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::string path = tempPath("threads");
    std::remove(path.c_str());
    ASSERT_TRUE(trSinkOpenFileCstr(path.c_str(), -1));
    auto s = adopt(trStreamCreateCstr("shared", -1));
    std::vector<std::thread> threads;
    for (int n = 0; n < 4; ++n) {
        threads.emplace_back([&s, n] {
            for (int i = 0; i < 100; ++i) trStreamTextFormatCstr(s.get(), "thread %i line %i", -1, PB_INT(n), PB_INT(i));
        });
    }
    for (auto& t : threads) t.join();
    trSinkClose();
    auto lines = fileLines(path);
    ASSERT_EQ(lines.size(), 401u);
    for (size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(Event(lines[i]).str("event"), "text");
    std::remove(path.c_str());
}

TEST(TrSinkDeathTest, AFailedPreconditionFlushesTheSink) {
    std::string path = tempPath("abort");
    std::remove(path.c_str());
    EXPECT_DEATH(
        {
            trSinkOpenFileCstr(path.c_str(), -1);
            TR_STREAM* s = trStreamCreateCstr("dying", -1);
            trStreamTextCstr(s, "last words", -1);
            trStreamCreate(nullptr);
        },
        "source/tr/tr_stream.cpp:[0-9]+: name");
    auto lines = fileLines(path);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Event(lines[1]).str("value"), "last words");
    std::remove(path.c_str());
}

}  // namespace
