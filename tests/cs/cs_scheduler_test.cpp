// Schedulers: the options' store form, slot admission on the manual clock,
// a randomised comparison with a reference model, and the configurable sort.
#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <map>
#include <random>
#include <thread>
#include <vector>

#include "cs/cs.h"
#include "cs/scheduler/cs_scheduler_client_imp.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/cs_fixture.hpp"
#include "support/store_text.hpp"

namespace {

using pb::adopt;
using vtest::encode;
using vtest::json;
using vtest::str;
using Options = pb::Ref<CS_SCHEDULER_OPTIONS>;
using Scheduler = pb::Ref<CS_SCHEDULER>;
using Client = pb::Ref<CS_SCHEDULER_CLIENT>;

Options options(PB_INT events, PB_INT interval) {
    Options opt = adopt(csSchedulerOptionsCreate());
    csSchedulerOptionsSetEvents(opt.out(), events);
    csSchedulerOptionsSetInterval(opt.out(), interval);
    return opt;
}

// A client whose update signal records the clock each time it fires.
struct Recorded {
    explicit Recorded(const Scheduler& sched) : client(adopt(csSchedulerClientCreate(sched.get(), nullptr))) {
        csSchedulerClientUpdateAddSignalable(client.get(), heard.get());
    }
    Recorded(const Recorded&) = delete;
    ~Recorded() { csSchedulerclientUpdateDelSignalable(client.get(), heard.get()); }
    bool ask(PB_INT ms, PB_INT earlier, PB_INT later, PB_INT flags = 0) {
        return csSchedulerClientTrySchedule(client.get(), flags, ms, earlier, later);
    }
    Client client;
    std::vector<PB_INT> fired;
    pb::Ref<PB_SIGNALABLE> heard = adopt(pbSignalableCreateWithCallback(
        [](void* c) {
            auto* self = static_cast<Recorded*>(c);
            self->fired.push_back(pbTimestamp());
            csSchedulerClientUpdateAddSignalable(self->client.get(), self->heard.get());
        },
        this));
};

// n recorded clients of sched (a deque: they must not move).
std::deque<Recorded> clientsOf(const Scheduler& sched, int n) {
    std::deque<Recorded> all;
    for (int i = 0; i < n; ++i) all.emplace_back(sched);
    return all;
}

using CsScheduler = vtest::CsModuleTest;

TEST_F(CsScheduler, OptionsIntervalsAndFlags) {
    Options opt = adopt(csSchedulerOptionsCreate());
    EXPECT_EQ(encode(adopt(csSchedulerOptionsStore(opt.get())).get()),
              vtest::canonical(R"({"events":1,"interval":"CS_SCHEDULER_INTERVAL_EVENTS_PER_MILLISECOND"})"));
    Options ten = adopt(csSchedulerOptionsRestore(
        json(R"({"events":10,"interval":"CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND"})").get()));
    EXPECT_EQ(csSchedulerOptionsEvents(ten.get()), 10);
    EXPECT_EQ(csSchedulerOptionsInterval(ten.get()), CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND);
    for (const char* bad : {R"({"events":-5,"interval":"NO_SUCH"})", R"({"events":"7","interval":3})", "{}"}) {
        Options back = adopt(csSchedulerOptionsRestore(json(bad).get()));
        EXPECT_EQ(csSchedulerOptionsEvents(back.get()), 1) << bad;
        EXPECT_EQ(csSchedulerOptionsInterval(back.get()), CS_SCHEDULER_INTERVAL_EVENTS_PER_MILLISECOND) << bad;
    }
    for (PB_INT iv = 0; iv <= 7; ++iv)
        EXPECT_EQ(csSchedulerIntervalFromString(adopt(csSchedulerIntervalToString(iv)).get()), iv);

    EXPECT_EQ(csSchedulerScheduleFlagsNormalize(3), CS_SCHEDULER_SCHEDULE_FLAG_FORCE);
    EXPECT_EQ(vtest::take(csSchedulerScheduleFlagsToString(7)), "CS_SCHEDULER_SCHEDULE_FLAG_FORCE");
    EXPECT_EQ(csSchedulerScheduleFlagsFromString(str("CS_SCHEDULER_SCHEDULE_FLAG_FORCE").get()), 1);
    EXPECT_EQ(csSchedulerScheduleFlagsFromString(str("NO_SUCH_FLAG").get()), 0);
}

// Ten events per second: slots of 100 ms. The scene starts at T0 + 50 with
// the slot T0 just executed (a reservation there has passed).
struct HundredMsScene {
    Scheduler sched = adopt(csSchedulerCreate(options(10, CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND).get(), nullptr));
    PB_INT t0 = 0;
    HundredMsScene() {
        pbRuntimeManualAdvance((150 - pbTimestamp() % 100) % 100);  // now ends in 50
        t0 = pbTimestamp() + 50;
        Recorded opener(sched);
        EXPECT_TRUE(opener.ask(50, 0, 0));
        pbRuntimeManualAdvance(100);
        EXPECT_EQ(opener.fired, std::vector<PB_INT>{t0});
    }
};

TEST_F(CsScheduler, HundredMillisecondSlots) {
    {
        HundredMsScene scene;
        auto four = clientsOf(scene.sched, 4);
        for (auto& c : four) EXPECT_TRUE(c.ask(500, 300, 0));
        Recorded fifth(scene.sched);
        EXPECT_FALSE(fifth.ask(500, 300, 0));  // 10,199 is before 10,250; 10,600 after 10,550
        advance(1000);
        const PB_INT expected[] = {550, 499, 399, 299};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(four[i].fired, std::vector<PB_INT>{scene.t0 + expected[i]}) << i;
        EXPECT_TRUE(fifth.fired.empty());
    }
    {
        HundredMsScene scene;  // the current slot is closed: the next ones follow
        auto later = clientsOf(scene.sched, 3);
        for (auto& c : later) EXPECT_TRUE(c.ask(0, 0, 1000));
        advance(1000);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(later[i].fired, std::vector<PB_INT>{scene.t0 + 100 * (i + 1)});
    }
    {
        HundredMsScene scene;
        const PB_INT now = pbTimestamp();
        Recorded tight(scene.sched), forced(scene.sched), edge(scene.sched);
        EXPECT_FALSE(tight.ask(0, 0, 40));
        EXPECT_FALSE(csSchedulerClientScheduled(tight.client.get()));
        EXPECT_TRUE(forced.ask(0, 0, 40, CS_SCHEDULER_SCHEDULE_FLAG_FORCE | 2));
        EXPECT_TRUE(edge.ask(0, 0, 50));  // the forced time reserved nothing
        advance(1000);
        ASSERT_EQ(forced.fired.size(), 1u);
        EXPECT_GE(forced.fired[0], now);
        EXPECT_LE(forced.fired[0], now + 40);
        EXPECT_EQ(edge.fired, std::vector<PB_INT>{scene.t0 + 100});
    }
}

// Slot lengths of 1 ms and 334 ms (3 per second) are the reference model's.
// Clients keep their scheduler alive; once they go, no timer is left behind.
TEST_F(CsScheduler, ClientsKeepTheirSchedulerAlive) {
    Scheduler slow = adopt(csSchedulerCreate(options(3, CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND).get(), nullptr));
    Client waiting = adopt(csSchedulerClientCreate(slow.get(), nullptr));
    slow.reset();
    EXPECT_TRUE(csSchedulerClientTrySchedule(waiting.get(), 0, 5000, 0, 0));
    EXPECT_TRUE(csSchedulerClientScheduled(waiting.get()));
    auto scheduler = adopt(csSchedulerClientScheduler(waiting.get()));
    EXPECT_EQ(csSchedulerOptionsEvents(adopt(csSchedulerOptions(scheduler.get())).get()), 3);
}

// The reference: the reserved slot starts and the last executed slot,
// searched by listing every candidate slot within the tolerance.
struct Model {
    PB_INT length = 1, lastExecuted = -1;
    std::map<PB_INT, int> holder;   // slot start -> client
    std::map<int, PB_INT> slotOf;   // client -> slot start
    PB_INT slot(PB_INT t) const { return t - t % length; }
    void release(int c) {
        if (auto it = slotOf.find(c); it != slotOf.end()) holder.erase(it->second), slotOf.erase(it);
    }
    void expire(PB_INT now) {
        while (!holder.empty() && holder.begin()->first <= now) {
            lastExecuted = holder.begin()->first;
            slotOf.erase(holder.begin()->second);
            holder.erase(holder.begin());
        }
    }
    // The granted time, or -1.
    PB_INT request(int c, PB_INT now, PB_INT ms, PB_INT earlier, PB_INT later) {
        release(c);
        const PB_INT target = now + ms, own = slot(target), closed = slot(lastExecuted);
        auto open = [&](PB_INT s) { return s > closed && !holder.count(s); };
        std::vector<std::pair<PB_INT, PB_INT>> before, after;  // (time, slot)
        for (PB_INT s = own - length; s > closed && s + length - 1 >= target - earlier; s -= length)
            if (open(s)) before.push_back({s + length - 1, s});
        for (PB_INT s = own + length; s <= target + later; s += length)
            if (open(s)) after.push_back({s, s});
        std::pair<PB_INT, PB_INT> pick{-1, -1};
        if (open(own)) pick = {target, own};
        else if (!before.empty()) pick = before.front();
        else if (!after.empty()) pick = after.front();
        if (pick.first < 0) return -1;
        EXPECT_FALSE(holder.count(pick.second)) << "two clients in one slot";
        holder[pick.second] = c;
        slotOf[c] = pick.second;
        return pick.first;
    }
};

TEST_F(CsScheduler, AgreesWithReferenceModelOverRandomRequests) {
    const std::pair<PB_INT, PB_INT> paces[] = {{10, CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND},
                                                {3, CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND},
                                                {4, CS_SCHEDULER_INTERVAL_EVENTS_PER_MILLISECOND},
                                                {7, CS_SCHEDULER_INTERVAL_MILLISECONDS_PER_EVENT}};
    const PB_INT lengths[] = {100, 334, 1, 7};
    Scheduler sched = adopt(csSchedulerCreate(options(paces[0].first, paces[0].second).get(), nullptr));
    Model model;
    model.length = lengths[0];
    std::vector<pb::Ref<CS___SCHEDULER_CLIENT_IMP>> clients;
    for (int i = 0; i < 40; ++i) clients.push_back(adopt(cs___SchedulerClientImpCreate(nullptr, nullptr)));
    std::mt19937_64 rnd(12345);
    auto pick = [&](PB_INT lo, PB_INT hi) { return std::uniform_int_distribution<PB_INT>(lo, hi)(rnd); };
    int granted = 0, refused = 0;
    for (int step = 0; step < 20000; ++step) {
        const int c = int(pick(0, 39));
        const PB_INT roll = pick(0, 99), L = model.length;
        if (roll < 70) {
            const PB_INT ms = pick(0, 20 * L), earlier = pick(0, ms), later = pick(0, 5 * L);
            const bool force = pick(0, 9) == 0;
            const PB_INT now = pbTimestamp();
            PB_INT got = cs___SchedulerSchedulerClientImpTrySchedule(
                sched.get(), clients[c].get(), force ? CS_SCHEDULER_SCHEDULE_FLAG_FORCE : 0, ms, earlier, later);
            PB_INT want = model.request(c, now, ms, earlier, later);
            if (want == -1 && force) {
                EXPECT_GE(got, now + ms - earlier);
                EXPECT_LE(got, now + ms + later);
            } else {
                ASSERT_EQ(got, want) << "step " << step;
            }
            ++(want == -1 ? refused : granted);
        } else if (roll < 80) {
            cs___SchedulerSchedulerClientImpUnschedule(sched.get(), clients[c].get());
            model.release(c);
        } else if (roll < 99) {
            advance(pick(0, 3 * L));
            model.expire(pbTimestamp());
        } else {
            // Expire first, so that the new pace meets no passed reservation.
            pbRuntimeManualRunPending();
            model.expire(pbTimestamp());
            const int p = int(pick(0, 3));
            csSchedulerSetOptions(sched.get(), options(paces[p].first, paces[p].second).get());
            pbRuntimeManualRunPending();
            if (lengths[p] != model.length) model.holder.clear(), model.slotOf.clear();
            model.length = lengths[p];
        }
    }
    EXPECT_GT(granted, 5000);
    EXPECT_GT(refused, 1000);
    for (auto& c : clients) cs___SchedulerClientImpHalt(c.get());
}

TEST_F(CsScheduler, ConfiguredThroughTheConfiguration) {
    auto config = [](PB_INT events) {
        return json(R"({"objects":{"pace":{"sort":"CS_SCHEDULER","config":{"events":)" + std::to_string(events) +
                    R"(,"interval":"CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND","extra":1}}}})");
    };
    csConfigSetConfig(config(10).get());
    auto object = adopt(csObjectTableLookupObjectByName(str("pace").get()));
    ASSERT_TRUE(object && pbObjSort(object.get()) == csSchedulerSort());
    Scheduler sched = pb::retain(csSchedulerFrom(object.get()));
    auto gathered = adopt(csConfigConfig(nullptr));
    auto entry = adopt(pbStoreStoreCstr(adopt(pbStoreStoreCstr(gathered.get(), "objects", -1)).get(), "pace", -1));
    EXPECT_EQ(encode(adopt(pbStoreStoreCstr(entry.get(), "config", -1)).get()),
              vtest::canonical(R"({"events":10,"interval":"CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND"})"));

    // The trace: the scheduler's stream holds the applied options; a client's links to it.
    auto owner = adopt(trStreamCreateCstr("TEST_OWNER", -1));
    csSchedulerTraceCompleteAnchor(sched.get(), adopt(trAnchorCreate(owner.get(), 1)).get());
    Client traced = adopt(csSchedulerClientCreate(sched.get(), adopt(trAnchorCreate(owner.get(), 1)).get()));
    auto schedStream = adopt(trStreamLinkAt(owner.get(), 0)), clientStream = adopt(trStreamLinkAt(owner.get(), 1));
    EXPECT_EQ(vtest::take(trStreamName(clientStream.get())), "CS_SCHEDULER_CLIENT");
    EXPECT_EQ(adopt(trStreamLinkAt(clientStream.get(), 0)).get(), schedStream.get());
    EXPECT_EQ(trStreamLinkKindAt(clientStream.get(), 0), 18);
    auto traceConfig = [&] { return encode(adopt(trStreamConfiguration(schedStream.get())).get()); };
    EXPECT_EQ(traceConfig(), encode(adopt(pbStoreStoreCstr(entry.get(), "config", -1)).get()));

    // Reconfigured in place: the same object, the new pace for the next requests.
    int heard = 0;
    auto listener = adopt(pbSignalableCreateWithCallback([](void* h) { ++*static_cast<int*>(h); }, &heard));
    csSchedulerUpdateAddSignalable(sched.get(), listener.get());
    csConfigSetConfig(config(2).get());
    pbRuntimeManualRunPending();
    EXPECT_EQ(heard, 1);
    EXPECT_NE(traceConfig().find("\"events\":2"), std::string::npos);
    EXPECT_EQ(adopt(csObjectTableLookupObjectByName(str("pace").get())).get(), object.get());
    auto two = clientsOf(sched, 2);
    // Kept clear of the clock's first slot: a new scheduler's last executed time,
    // -1, lies in slot 0 under the truncating slot rule, so slot 0 counts as
    // closed from creation and a request then moves on to the next slot.
    advance(5000 + (1250 - pbTimestamp() % 1000) % 1000);  // now is 250 ms into a second, whatever ran before
    const PB_INT now = pbTimestamp();
    for (auto& c : two) EXPECT_TRUE(c.ask(0, 0, 1000));
    advance(1000);
    EXPECT_EQ(two[1].fired, std::vector<PB_INT>{now - now % 500 + 500});

    // Equal options as a new object keep the reservations; another length drops them.
    Recorded holder(sched), other(sched);
    EXPECT_TRUE(holder.ask(2000, 0, 0));
    csSchedulerSetOptions(sched.get(), options(2, CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND).get());
    pbRuntimeManualRunPending();
    EXPECT_FALSE(other.ask(2000, 0, 0));
    csSchedulerSetOptions(sched.get(), options(4, CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND).get());
    pbRuntimeManualRunPending();
    EXPECT_TRUE(other.ask(2000, 0, 0));
    EXPECT_TRUE(csSchedulerClientScheduled(holder.client.get()));  // its timer keeps running
    csConfigSetConfig(json("{}").get());
}

// Requests, releases and new options on several threads while another
// thread moves the clock, so that timers and processes run concurrently.
TEST_F(CsScheduler, ConcurrentRequestsWhileTheClockMoves) {
    Scheduler sched = adopt(csSchedulerCreate(options(20, CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND).get(), nullptr));
    std::atomic<int> grants{0}, fired{0};
    auto onFire = adopt(pbSignalableCreateWithCallback([](void* n) { ++*static_cast<std::atomic<int>*>(n); }, &fired));
    std::atomic<bool> done{false};
    std::vector<std::thread> threads;
    for (int w = 0; w < 3; ++w)
        threads.emplace_back([&, w] {
            for (int i = 0; i < 300; ++i) {
                Client c = adopt(csSchedulerClientCreate(sched.get(), nullptr));
                csSchedulerClientUpdateAddSignalable(c.get(), onFire.get());
                if (csSchedulerClientTrySchedule(c.get(), 0, 20 + 20 * (i % 7), 10 * (i % 3), 100)) ++grants;
                if ((i + w) % 4 == 0) csSchedulerClientUnschedule(c.get());
            }
        });
    threads.emplace_back([&] {
        for (int i = 0; !done; ++i) {
            pbRuntimeManualAdvance(i % 30);
            if (i % 50 == 0) csSchedulerSetOptions(sched.get(), options(10 + i % 20, 1).get());
        }
    });
    for (int w = 0; w < 3; ++w) threads[size_t(w)].join();
    done = true;
    threads.back().join();
    pbRuntimeManualAdvance(10000);
    EXPECT_GT(grants, 0);
    EXPECT_LE(fired, grants);  // a released client's timer never fires
}

TEST_F(CsScheduler, PreconditionsStopTheProcess) {
    Scheduler sched = adopt(csSchedulerCreate(options(1, 0).get(), nullptr));
    Client client = adopt(csSchedulerClientCreate(sched.get(), nullptr));
    EXPECT_DEATH(csSchedulerClientTrySchedule(client.get(), 0, -1, 0, 0), "\\.cpp:[0-9]+: milliseconds >= 0\n");
    EXPECT_DEATH(csSchedulerClientTrySchedule(client.get(), 0, 5, 6, 0), ": millisecondsEarlier <= milliseconds\n");
    EXPECT_DEATH(csSchedulerClientTrySchedule(client.get(), 0, PB_INT_MAX, 0, 1),
                 ": PB_INT_ADD_OK\\( milliseconds, millisecondsLater \\)\n");
    Options opt = adopt(csSchedulerOptionsCreate());
    EXPECT_DEATH(csSchedulerOptionsSetEvents(opt.out(), 0), "cs_scheduler_options.cpp:[0-9]+: events >= 1\n");
    EXPECT_DEATH(csSchedulerIntervalToString(8), ": CS_SCHEDULER_INTERVAL_OK\\( iv \\)\n");
    auto imp = adopt(cs___SchedulerClientImpCreate(nullptr, nullptr));
    cs___SchedulerClientImpHalt(imp.get());
    EXPECT_DEATH(cs___SchedulerClientImpHalt(imp.get()), ": !pbProcessHalted\\( imp->isProcess \\)\n");
}

}  // namespace
