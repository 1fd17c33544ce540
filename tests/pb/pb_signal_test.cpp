// Signals and signalables: one notification per assertion, no lost
// wake-ups, and the four kinds of signalable.
#include <gtest/gtest.h>

#include <vector>

#include "pb/exec_test_support.hpp"
#include "support/live_objects.hpp"

namespace {

pb::Ref<PB_SIGNALABLE> counting(int* count) {
    return pb::adopt(pbSignalableCreateWithCallback(vtest::countInto, count));
}

// Each signalable hears an assertion once and is then forgotten; to hear
// the next event it is added to the next signal. Adding twice, removing
// strangers and removing after the assertion change nothing.
TEST(PbSignal, NotifiesEachSignalableOncePerAssertion) {
    VTEST_NO_LEAKS_IN_SCOPE();
    int a = 0, b = 0, c = 0;
    auto sa = counting(&a), sb = counting(&b), sc = counting(&c);
    auto sig = pb::adopt(pbSignalCreate()), next = pb::adopt(pbSignalCreate());
    for (auto* s : {sa.get(), sb.get(), sa.get(), sc.get()}) pbSignalAddSignalable(sig.get(), s);
    pbSignalDelSignalable(sig.get(), sc.get());
    pbSignalDelSignalable(sig.get(), sc.get());
    pbSignalAddSignalable(next.get(), sa.get());  // one signalable on two signals
    EXPECT_FALSE(pbSignalAsserted(sig.get()));
    pbSignalAssert(sig.get());
    pbSignalAssert(sig.get());
    pbSignalDelSignalable(sig.get(), sb.get());
    EXPECT_TRUE(pbSignalAsserted(sig.get()));
    EXPECT_EQ(a + b + c, 2);
    EXPECT_EQ(pbObjRefCount(pbSignalableObj(sb.get())), 1);  // forgotten
    pbSignalAssert(next.get());
    EXPECT_EQ(a, 2);
}

// No lost wake-up: a signalable added after the assertion hears it at once,
// also when added from inside a notification (which runs outside the
// signal's lock). An unasserted signal releases its signalables.
TEST(PbSignal, AddingToAnAssertedSignalNotifiesAtOnce) {
    VTEST_NO_LEAKS_IN_SCOPE();
    int a = 0;
    auto sa = counting(&a);
    auto sig = pb::adopt(pbSignalCreate());
    std::pair<PB_SIGNAL*, PB_SIGNALABLE*> ctx{sig.get(), sa.get()};
    auto adder = pb::adopt(pbSignalableCreateWithCallback(
        [](void* c) {
            auto* p = static_cast<std::pair<PB_SIGNAL*, PB_SIGNALABLE*>*>(c);
            pbSignalAddSignalable(p->first, p->second);
        },
        &ctx));
    pbSignalAddSignalable(sig.get(), adder.get());
    pbSignalAssert(sig.get());
    EXPECT_EQ(a, 1);
    pbSignalAddSignalable(sig.get(), sa.get());
    EXPECT_EQ(a, 2);
    PB_SIGNAL* dropped = pbSignalCreate();
    pbSignalAddSignalable(dropped, sa.get());
    pbSignalRelease(dropped);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(pbObjRefCount(pbSignalableObj(sa.get())), 1);
}

// The other kinds set an alert, schedule a process (which runs when the
// executor runs, not inside the assertion) and assert another signal.
TEST(PbSignal, SignalablesSetAlertsScheduleProcessesAndAssertSignals) {
    VTEST_NO_LEAKS_IN_SCOPE();
    pbRuntimeSetManualClock(PB_TRUE);
    int runs = 0;
    auto proc = vtest::processOver(&runs, [](PB_OBJ* o) { ++*vtest::stateOf<int>(o); });
    auto alert = pb::adopt(pbAlertCreate());
    auto target = pb::adopt(pbSignalCreate());
    auto toAlert = pb::adopt(pbSignalableCreateWithAlert(alert.get()));
    auto toProcess = pb::adopt(pbSignalableCreateWithProcess(proc.get()));
    auto toSignal = pb::adopt(pbSignalableCreateWithSignal(target.get()));
    auto sig = pb::adopt(pbSignalCreate());
    for (auto* s : {toAlert.get(), toProcess.get(), toSignal.get()}) pbSignalAddSignalable(sig.get(), s);
    pbSignalAssert(sig.get());
    EXPECT_TRUE(pbAlertIsSet(alert.get()));
    EXPECT_TRUE(pbSignalAsserted(target.get()));
    EXPECT_EQ(runs, 0);
    pbRuntimeManualRunPending();
    EXPECT_EQ(runs, 1);
}

// A long list (a status watched by thousands) is indexed; it must still
// ignore a second add, keep the order of adding across removals (which
// leave holes until the list is compacted) and count only who waits.
TEST(PbSignal, LongListsKeepOrderAndIgnoreDuplicates) {
    VTEST_NO_LEAKS_IN_SCOPE();
    constexpr int n = 100;
    std::vector<int> order;
    struct Entry {
        std::vector<int>* order;
        int id;
    };
    std::vector<Entry> entries(n);
    std::vector<pb::Ref<PB_SIGNALABLE>> s;
    for (int i = 0; i < n; ++i) {
        entries[i] = {&order, i};
        s.push_back(pb::adopt(pbSignalableCreateWithCallback(
            [](void* e) { static_cast<Entry*>(e)->order->push_back(static_cast<Entry*>(e)->id); }, &entries[i])));
    }
    auto sig = pb::adopt(pbSignalCreate());
    EXPECT_FALSE(pbSignalHasSignalables(sig.get()));
    for (int i = 0; i < n; ++i) pbSignalAddSignalable(sig.get(), s[i].get());
    for (int i = 0; i < n; i += 2) pbSignalAddSignalable(sig.get(), s[i].get());
    for (int i = 0; i < n - 1; ++i)  // all but the last, through holes and compactions
        if (i % 3 != 0) pbSignalDelSignalable(sig.get(), s[i].get());
    pbSignalDelSignalable(sig.get(), s[1].get());
    for (int i = 1; i < n - 1; i += 3) pbSignalAddSignalable(sig.get(), s[i].get());  // again, at the end
    EXPECT_TRUE(pbSignalHasSignalables(sig.get()));
    pbSignalAssert(sig.get());
    std::vector<int> expected;
    for (int i = 0; i < n; i += 3) expected.push_back(i);
    if ((n - 1) % 3 != 0) expected.push_back(n - 1);
    for (int i = 1; i < n - 1; i += 3) expected.push_back(i);
    EXPECT_EQ(order, expected);
    EXPECT_FALSE(pbSignalHasSignalables(sig.get()));
    for (auto& r : s) EXPECT_EQ(pbObjRefCount(pbSignalableObj(r.get())), 1);
}

}  // namespace
