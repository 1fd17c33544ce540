// Rates on the manual clock: the worked timeline of one second's
// contributions, a simulated day checked after every step against a plain
// model of timestamped contributions, late runs, base values held by
// tokens, limits, and the preconditions that stop the process.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <ostream>
#include <random>
#include <sstream>
#include <string>

#include "cs/cs.h"
#include "cs/rate/cs_rate_imp.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/cs_fixture.hpp"
#include "support/store_text.hpp"

namespace {

using pb::adopt;

// The six values: delayed (as of the last step) and current, per window.
struct Six {
    PB_INT sd, sc, md, mc, hd, hc;
    bool operator==(const Six&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Six& v) {
    return os << v.sd << "/" << v.sc << " " << v.md << "/" << v.mc << " " << v.hd << "/" << v.hc;
}

Six valuesOf(CS_RATE* rate) {
    Six v;
    cs___RateValues(rate, &v.sd, &v.sc, &v.md, &v.mc, &v.hd, &v.hc);
    return v;
}

constexpr PB_INT sec = 1000, minute = 60 * sec, hour = 60 * minute;

// What a rate created at t0 must show, from the contributions alone: steps
// fall at t0 + k * 1000 (step 0 at creation), the minute window moves on
// at steps 59, 119, ...; a contribution made at a step's time counts after
// that step.
class Model {
public:
    explicit Model(PB_INT t0) : t0_(t0) {}
    void add(PB_INT t, PB_INT amount) { log_.push_back({t, total_ += amount}); }
    Six at(PB_INT now) const {
        PB_INT k = (now - t0_) / sec, step = t0_ + k * sec;
        // The last minute shift before step k and at or before it (long
        // before t0 when there was none).
        auto shift = [&](PB_INT j) { return j < 59 ? t0_ - 2 * hour : t0_ + ((j - 59) / 60 * 60 + 59) * sec; };
        PB_INT before = shift(k - 1), last = shift(k), minuteCurrent = sum(step - 59 * sec, PB_INT_MAX);
        return Six{sum(step - sec, step),          sum(step, PB_INT_MAX), sum(step - minute, step), minuteCurrent,
                   sum(before - 59 * minute, step), sum(last - 59 * minute, last) + minuteCurrent};
    }

private:
    struct Entry {
        PB_INT t, total;  // total: everything contributed up to and including this entry
    };
    // Everything contributed before t.
    PB_INT before(PB_INT t) const {
        auto it = std::lower_bound(log_.begin(), log_.end(), t, [](const Entry& e, PB_INT v) { return e.t < v; });
        return it == log_.begin() ? 0 : std::prev(it)->total;
    }
    PB_INT sum(PB_INT from, PB_INT to) const { return (to == PB_INT_MAX ? total_ : before(to)) - before(from); }

    PB_INT t0_, total_ = 0;
    std::deque<Entry> log_;
};

struct CsRate : vtest::CsModuleTest {
    void SetUp() override {
        vtest::CsModuleTest::SetUp();
        rep = adopt(csStatusReporterCreate(nullptr));
    }
    void TearDown() override {
        rep.reset();
        vtest::CsModuleTest::TearDown();
    }
    pb::Ref<CS_RATE> create() { return adopt(csRateCreateCstr(rep.get(), "fooRequests", -1)); }
    std::string items() {
        std::string out;
        for (const char* name : {"fooRequestsSecond", "fooRequestsMinute", "fooRequestsHour"}) {
            auto i = adopt(csStatusReporterItemCstr(rep.get(), name, -1));
            out += (i ? std::to_string(csStatusItemIntValue(i.get())) : "absent") + " ";
        }
        return out;
    }
    static void advanceTo(PB_INT t) { advance(t - pbTimestamp()); }

    pb::Ref<CS_STATUS_REPORTER> rep;
};

// 5 at T+200 and 3 at T+700: current at once, delayed from the step at
// T+1000; the second forgets them at T+2000, the minute at T+61000, the
// hour at T+3600000 (and not one step earlier).
TEST_F(CsRate, WorkedTimeline) {
    PB_INT t0 = pbTimestamp();
    auto rate = create();
    EXPECT_EQ(items(), "0 0 0 ");
    advanceTo(t0 + 200);
    csRateContribute(rate.get(), 5);
    csRateContribute(rate.get(), 0);
    advanceTo(t0 + 700);
    csRateContribute(rate.get(), 3);
    advanceTo(t0 + 999);
    EXPECT_EQ(valuesOf(rate.get()), (Six{0, 8, 0, 8, 0, 8}));
    EXPECT_EQ(items(), "0 0 0 ");
    advanceTo(t0 + sec);
    EXPECT_EQ(valuesOf(rate.get()), (Six{8, 0, 8, 8, 8, 8}));
    EXPECT_EQ(items(), "8 8 8 ");
    advanceTo(t0 + 2 * sec);
    EXPECT_EQ(items(), "0 8 8 ");
    advanceTo(t0 + minute);
    EXPECT_EQ(csRateMinute(rate.get()), 8);
    advanceTo(t0 + minute + sec);
    EXPECT_EQ(csRateMinute(rate.get()), 0);
    for (PB_INT k = 62; k < 3600; ++k) {
        advanceTo(t0 + k * sec);
        ASSERT_EQ(csRateHour(rate.get()), 8) << "step " << k;
    }
    advanceTo(t0 + hour);
    EXPECT_EQ(items(), "0 0 0 ");
    rate.reset();
    EXPECT_EQ(items(), "absent absent absent ");
}

// A day of steady trickles and bursts, with now and then a late run (a
// jump of up to 70 s): after every step the six values, the getters and
// the items equal the model's.
TEST_F(CsRate, SimulatedDayMatchesTheModel) {
    PB_INT t0 = pbTimestamp();
    auto rate = create();
    Model model(t0);
    std::mt19937_64 random(11);
    auto draw = [&](PB_INT lo, PB_INT hi) { return std::uniform_int_distribution<PB_INT>(lo, hi)(random); };
    for (PB_INT k = 0; k < 24 * 3600; ++k) {
        PB_INT step = t0 + k * sec;
        bool burst = k % 1000 < 20;
        std::vector<PB_INT> offsets(size_t(burst ? 200 : draw(0, 3)));
        for (auto& o : offsets) o = draw(0, 999);
        std::sort(offsets.begin(), offsets.end());
        for (PB_INT o : offsets) {
            advanceTo(step + o);
            PB_INT amount = burst ? draw(1, 100) : draw(1, 5);
            csRateContribute(rate.get(), amount);
            model.add(step + o, amount);
        }
        if (k % 7919 == 7918) {
            PB_INT gap = draw(1, 70) * sec;
            pbRuntimeManualJump(gap);
            k += gap / sec;
        }
        advanceTo(t0 + (k + 1) * sec);
        Six expected = model.at(pbTimestamp());
        ASSERT_EQ(valuesOf(rate.get()), expected) << "step " << k + 1;
        ASSERT_EQ(items(), (std::ostringstream() << expected.sd << " " << expected.md << " " << expected.hd << " ").str());
    }
}

// Counts the runs that changed the reporter's status: a process that the
// status's update signal wakes and that listens again each time it runs.
struct StatusRuns {
    explicit StatusRuns(CS_STATUS_REPORTER* rep) : stat(adopt(csStatusReporterStatus(rep))) {
        csStatusUpdateAddSignalable(stat.get(), listener.get());
    }
    ~StatusRuns() { pbProcessHalt(process.get()); }
    pb::Ref<CS_STATUS> stat;
    pb::Ref<PB_PROCESS> process = adopt(pb___ProcessCreate(0, [](PB_OBJ* obj) {
        auto* self = reinterpret_cast<StatusRuns*>(obj);
        ++self->runs;
        csStatusUpdateAddSignalable(self->stat.get(), self->listener.get());
    }, reinterpret_cast<PB_OBJ*>(this), "test"));
    pb::Ref<PB_SIGNALABLE> listener = adopt(pbSignalableCreateWithProcess(process.get()));
    int runs = 0;
};

// A run 5000 ms late takes the five steps it missed in one run (not one
// run per step); the next step stays on the creation grid. A run an hour
// late ends where an hour of timely steps ends.
TEST_F(CsRate, LateRunsEndWhereTimelyRunsEnd) {
    for (PB_INT late : {5 * sec, hour + 2 * sec}) {
        for (int jump = 0; jump < 2; ++jump) {
            PB_INT t0 = pbTimestamp();
            auto rate = create();
            Model model(t0);
            for (PB_INT t = 300; t < 150 * sec; t += 2300) {
                advanceTo(t0 + t);
                csRateContribute(rate.get(), t / 100);
                model.add(t0 + t, t / 100);
            }
            csRateContribute(rate.get(), 7);
            model.add(pbTimestamp(), 7);
            {
                StatusRuns steps(rep.get());
                jump ? pbRuntimeManualJump(late) : advance(late);
                EXPECT_EQ(steps.runs, jump ? 1 : late / sec);
            }
            EXPECT_EQ(valuesOf(rate.get()), model.at(pbTimestamp())) << "late " << late << " jump " << jump;
            PB_INT next = t0 + (pbTimestamp() - t0) / sec * sec + sec;
            csRateContribute(rate.get(), 4);
            advanceTo(next - 1);
            EXPECT_EQ(csRateSecond(rate.get()), 0);
            advanceTo(next);
            EXPECT_EQ(csRateSecond(rate.get()), 4);
        }
    }
}

// A base value of 2 from T+500 (a token): 2 in every second, the minute
// grows by 2 per step to 120, the hour by 2 per minute shift to 120.
// Amounts 3, then 1, then the token's end change the running second by +3,
// -2, -1; after the last token the windows drain to 0.
TEST_F(CsRate, TokensHoldABaseValue) {
    PB_INT t0 = pbTimestamp();
    auto rate = create();
    auto tok = adopt(csRateTokenCreate(rate.get()));
    advanceTo(t0 + 500);
    csRateTokenSetDeltaPerSecond(tok.get(), 2);
    for (PB_INT k = 1; k <= 2 * 3600; ++k) {
        advanceTo(t0 + k * sec);
        Six v = valuesOf(rate.get());
        ASSERT_EQ(v.sd, 2) << k;
        ASSERT_EQ(v.md, 2 * std::min<PB_INT>(60, k)) << k;
        ASSERT_EQ(v.hd, 2 * std::min<PB_INT>(60, 1 + k / 60)) << k;
    }
    auto other = adopt(csRateTokenCreate(rate.get()));
    PB_INT running = valuesOf(rate.get()).sc;
    for (PB_INT amount : {3, 1}) {
        csRateTokenSetDeltaPerSecond(other.get(), amount);
        EXPECT_EQ(valuesOf(rate.get()).sc, running + amount);
    }
    other.reset();
    tok.reset();
    EXPECT_EQ(valuesOf(rate.get()).sc, running - 2);
    advance(2 * hour);
    EXPECT_EQ(valuesOf(rate.get()), (Six{0, 0, 0, 0, 0, 0}));
}

// Maxima see the proposed contribution, minima only the last step; a
// refused contribution changes nothing; the store holds only what is set
// and any store restores.
TEST_F(CsRate, LimitsAdmitAndRefuse) {
    PB_INT t0 = pbTimestamp();
    auto rate = create();
    auto lim = adopt(csRateLimitsCreate());
    EXPECT_TRUE(csRateLimitsCheck(lim.get(), rate.get()));
    csRateLimitsSetMaxSecond(lim.out(), 10);
    csRateContribute(rate.get(), 8);
    EXPECT_TRUE(csRateTryContributeWithLimits(rate.get(), lim.get(), 2));
    Six before = valuesOf(rate.get());
    EXPECT_FALSE(csRateTryContributeWithLimits(rate.get(), lim.get(), 1));
    EXPECT_EQ(valuesOf(rate.get()), before);
    auto minimum = adopt(csRateLimitsCreate());
    csRateLimitsSetMinSecond(minimum.out(), 5);
    EXPECT_FALSE(csRateLimitsCheck(minimum.get(), rate.get()));
    advanceTo(t0 + sec);
    EXPECT_TRUE(csRateLimitsCheck(minimum.get(), rate.get()));
    csRateLimitsDelMaxSecond(lim.out());
    csRateLimitsSetMaxHour(lim.out(), 12);
    EXPECT_TRUE(csRateTryContributeWithLimits(rate.get(), lim.get(), 2));   // hour 10 + 2
    EXPECT_FALSE(csRateTryContributeWithLimits(rate.get(), lim.get(), 1));  // hour 13
    EXPECT_EQ(vtest::encode(adopt(csRateLimitsStore(lim.get())).get()), vtest::canonical(R"({"maxHour":12})"));
    auto back = adopt(csRateLimitsRestore(vtest::json(R"({"minMinute":-3,"maxMinute":"9","minHour":4})").get()));
    EXPECT_FALSE(csRateLimitsHasMinMinute(back.get()) || csRateLimitsHasMaxMinute(back.get()));
    EXPECT_EQ(csRateLimitsMinHour(back.get()), 4);
}

using CsRateDeathTest = CsRate;

TEST_F(CsRateDeathTest, PreconditionsStopTheProcess) {
    auto rate = create();
    EXPECT_DEATH(csRateContribute(rate.get(), -1), "cs_rate_imp.cpp:[0-9]+: deltaPerSecond >= 0\n");
    EXPECT_DEATH(cs___RateModifyBaseValue(rate.get(), -1), "cs_rate_imp.cpp:[0-9]+: imp->extBaseValue \\+ deltaPerSecond >= 0\n");
    EXPECT_DEATH(csRateCreateCstr(rep.get(), "foo bar", -1), "pbNameCamelCaseOk\\( baseName, PB_TRUE \\)");
    auto imp = adopt(cs___RateImpCreate(rep.get(), vtest::str("fooImp").get()));
    cs___RateImpHalt(imp.get());
    EXPECT_DEATH(cs___RateImpHalt(imp.get()), "cs_rate_imp.cpp:[0-9]+: !pbProcessHalted\\( imp->process \\)");
    csRateContribute(rate.get(), PB_INT_MAX);
    EXPECT_DEATH(csRateContribute(rate.get(), 1), "PB_INT_ADD_OK\\( imp->intSecond\\[0\\], deltaPerSecond \\)");
}

}  // namespace
