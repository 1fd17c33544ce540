// Terminate controls: the switch, its trace, and the database by identifier,
// also while controls come and go on other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "cs/cs.h"
#include "cs/control/cs_control_terminate_db.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/cs_fixture.hpp"

namespace {

using pb::adopt;
using Control = pb::Ref<CS_CONTROL_TERMINATE>;

void count(void* context) { static_cast<std::atomic<int>*>(context)->fetch_add(1); }

// A control with the stream it traces to, reached through an anchor.
struct Traced {
    pb::Ref<TR_STREAM> owner = adopt(trStreamCreateCstr("TEST_OWNER", -1));
    Control term = adopt(csControlTerminateCreate(adopt(trAnchorCreate(owner.get(), 1)).get()));
    pb::Ref<TR_STREAM> stream = adopt(trStreamLinkAt(owner.get(), 0));

    pb::Ref<TR_PROPERTY_VALUE> property(const char* key) {
        return adopt(trStreamPropertyCstr(stream.get(), key, -1));
    }
    pb::Ref<PB_IDENTIFIER> identifier() {
        auto text = adopt(trPropertyValueString(property("csControlTerminateIdentifier").get()));
        return adopt(pbIdentifierTryCreateFromString(text.get()));
    }
};

using CsControlTerminate = vtest::CsModuleTest;

TEST_F(CsControlTerminate, SetDirectlyAndByIdentifier) {
    Traced a, b;
    EXPECT_EQ(vtest::take(trStreamName(a.stream.get())), "CS_CONTROL_TERMINATE");
    EXPECT_FALSE(csControlTerminateDesired(a.term.get()));
    EXPECT_FALSE(trPropertyValueBool(a.property("csControlTerminateDesired").get()));
    auto idA = a.identifier(), idB = b.identifier();
    ASSERT_TRUE(idA && idB);
    EXPECT_FALSE(pbIdentifierEquals(idA.get(), idB.get()));

    std::atomic<int> heard{0};
    auto listener = adopt(pbSignalableCreateWithCallback(count, &heard));
    csControlTerminateDesiredAddSignalable(a.term.get(), listener.get());
    csControlTerminateSetDesired(a.term.get());
    csControlTerminateSetDesired(a.term.get());
    EXPECT_EQ(heard, 1);
    EXPECT_TRUE(csControlTerminateDesired(a.term.get()));
    EXPECT_TRUE(trPropertyValueBool(a.property("csControlTerminateDesired").get()));
    EXPECT_FALSE(csControlTerminateDesired(b.term.get()));

    // By identifier, from a copy parsed from the trace.
    csControlTerminateDesiredAddSignalable(b.term.get(), listener.get());
    EXPECT_TRUE(cs___ControlTerminateDbTerminateSetDesired(idB.get()));
    EXPECT_EQ(heard, 2);
    EXPECT_TRUE(csControlTerminateDesired(b.term.get()));
    EXPECT_TRUE(trPropertyValueBool(b.property("csControlTerminateDesired").get()));

    // A released control is no longer found, even while its stream lives on.
    Traced c;
    auto idC = c.identifier();
    c.term.reset();
    EXPECT_FALSE(cs___ControlTerminateDbTerminateSetDesired(idC.get()));
    EXPECT_FALSE(cs___ControlTerminateDbTerminateSetDesired(adopt(pbIdentifierCreate()).get()));
    EXPECT_DEATH(cs___ControlTerminateDbTerminateSetDesired(nullptr), "cs_control_terminate_db.cpp:[0-9]+: identifier\n");
}

// Setters by identifier race with creation and release: every live control
// that was named ends desired, released ones are simply not found.
TEST_F(CsControlTerminate, ManyThreadsSetWhileControlsComeAndGo) {
    constexpr int kRounds = 300;
    std::vector<Control> kept;
    std::vector<pb::Ref<PB_IDENTIFIER>> ids;
    for (int i = 0; i < 8; ++i) {
        Traced t;
        kept.push_back(t.term);
        ids.push_back(t.identifier());
    }
    std::atomic<int> found{0};
    std::vector<std::thread> threads;
    for (int s = 0; s < 2; ++s)
        threads.emplace_back([&, s] {
            for (int i = 0; i < kRounds; ++i)
                if (cs___ControlTerminateDbTerminateSetDesired(ids[size_t(i + s) % ids.size()].get())) ++found;
        });
    threads.emplace_back([&] {
        for (int i = 0; i < kRounds; ++i) {
            Traced fresh;
            auto id = fresh.identifier();
            std::atomic<int> heard{0};
            auto listener = adopt(pbSignalableCreateWithCallback(count, &heard));
            csControlTerminateDesiredAddSignalable(fresh.term.get(), listener.get());
            EXPECT_TRUE(cs___ControlTerminateDbTerminateSetDesired(id.get()));
            EXPECT_EQ(heard, 1);
            fresh.term.reset();
            EXPECT_FALSE(cs___ControlTerminateDbTerminateSetDesired(id.get()));
        }
    });
    threads.emplace_back([&] {
        for (int i = 0; i < kRounds; ++i) csControlTerminateSetDesired(kept[size_t(i) % kept.size()].get());
    });
    for (auto& t : threads) t.join();
    EXPECT_EQ(found, 2 * kRounds);
    for (auto& term : kept) EXPECT_TRUE(csControlTerminateDesired(term.get()));
}

}  // namespace
