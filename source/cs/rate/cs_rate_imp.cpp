// The rate's implementation: two windows of sixty slots advanced in steps
// of 1000 ms by the rate's own process and timer.
#include "cs/rate/cs_rate_imp.h"

#include <cstring>

#include "cs/base/cs_module.h"
#include "cs/rate/cs_rate_limits.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_name.h"
#include "pb/pb_process.h"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_timer.h"
#include "pb/pb_timestamp.h"

namespace {

constexpr int slots = 60;
constexpr PB_INT stepMs = 1000;

}  // namespace

// Every count and sum is >= 0. Slot 0 of each window is the running
// second or minute; slots 1..59 the completed ones, newest first. Both
// running slots start at the base value and only grow until they move on,
// so neither falls below it.
struct CS___RATE_IMP {
    PB_OBJ obj;
    CS_STATUS_REPORTER* rep;     // set once at creation
    PB_PROCESS* process;         // set once at creation; runs the steps
    PB_TIMER* timer;             // set once at creation; wakes the process at the next step
    PB_MONITOR* monitor;         // set once at creation; guards every field below
    PB_STRING* baseName;         // set once at creation
    PB_STRING* secondName;       // set once at creation: "<baseName>Second"
    PB_STRING* minuteName;       // set once at creation: "<baseName>Minute"
    PB_STRING* hourName;         // set once at creation: "<baseName>Hour"
    PB_INT secondDelayed;        // the last completed second, as of the last step
    PB_INT minuteDelayed;        // the last 60 completed seconds, as of the last step
    PB_INT hourDelayed;          // the running minute and the 59 before it, as of the last step
    PB_INT extBaseValue;         // the standing contribution each new slot starts with
    PB_INT intTimestamp;         // when the next step is due (creation + k * 1000)
    PB_INT intSecondsInMinute;   // steps since the last minute shift, 0..59
    PB_INT intSecond[slots];
    PB_INT intSecond1_59;        // the sum of intSecond[1..59]
    PB_INT intMinute[slots];
    PB_INT intMinute1_59;        // the sum of intMinute[1..59]
};

namespace {

using Imp = CS___RATE_IMP;

void impFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS___RATE_IMP);
    auto* imp = reinterpret_cast<Imp*>(obj);
    csStatusReporterDelItem(imp->rep, imp->secondName);
    csStatusReporterDelItem(imp->rep, imp->minuteName);
    csStatusReporterDelItem(imp->rep, imp->hourName);
    pb::releaseField(imp->rep);
    pb::releaseField(imp->process);
    pb::releaseField(imp->timer);
    pb::releaseField(imp->monitor);
    pb::releaseField(imp->baseName);
    pb::releaseField(imp->secondName);
    pb::releaseField(imp->minuteName);
    pb::releaseField(imp->hourName);
}

// Moves a window on by one slot: the oldest slot falls out, slot 0 joins
// the completed ones and a new running slot starts at the base value.
void shift(PB_INT (&window)[slots], PB_INT& sum1_59, PB_INT baseValue) {
    sum1_59 = sum1_59 - window[slots - 1] + window[0];
    std::memmove(&window[1], &window[0], sizeof(PB_INT) * (slots - 1));
    window[0] = baseValue;
}

// One 1000-ms step. The delayed values are taken before any slot moves.
void step(Imp* imp) {
    PB_ASSERT(PB_INT_ADD_OK( imp->intTimestamp, 1000 ));
    imp->intTimestamp += stepMs;
    PB_ASSERT(PB_INT_ADD_OK( imp->intSecond1_59, imp->intSecond[0] ));
    PB_ASSERT(PB_INT_ADD_OK( imp->intMinute1_59, imp->intMinute[0] ));
    imp->secondDelayed = imp->intSecond[0];
    imp->minuteDelayed = imp->intSecond1_59 + imp->intSecond[0];
    imp->hourDelayed = imp->intMinute1_59 + imp->intMinute[0];
    shift(imp->intSecond, imp->intSecond1_59, imp->extBaseValue);
    if (++imp->intSecondsInMinute == slots) {
        imp->intSecondsInMinute = 0;
        shift(imp->intMinute, imp->intMinute1_59, imp->extBaseValue);
    }
}

// The step process. A run takes every step that has fallen due since the
// last one, with no contribution between them, so a late run ends exactly
// where timely runs would have; then it reports and schedules the next
// step at its absolute due time. Everything happens under the monitor, so
// no reader sees a half-advanced window (lock order: rate, then reporter).
void cs___RateImpProcessFunc(PB_OBJ* obj) {
    auto* imp = cs___RateImpRetain(reinterpret_cast<Imp*>(obj));
    {
        pb::MonitorGuard guard(imp->monitor);
        PB_INT now = pbTimestamp();
        while (now >= imp->intTimestamp) step(imp);
        csStatusReporterSetItemInt(imp->rep, imp->secondName, imp->secondDelayed);
        csStatusReporterSetItemInt(imp->rep, imp->minuteName, imp->minuteDelayed);
        csStatusReporterSetItemInt(imp->rep, imp->hourName, imp->hourDelayed);
        pbTimerScheduleAt(imp->timer, imp->intTimestamp);
    }
    cs___RateImpRelease(imp);
}

// The six values for a proposed contribution deltaPerSecond, with the
// monitor held. The current hour is the second window (running second and
// the 59 completed seconds) plus the 59 completed minutes.
struct Values {
    PB_INT secondDelayed, secondCurrent, minuteDelayed, minuteCurrent, hourDelayed, hourCurrent;
};

Values valuesWith(Imp* imp, PB_INT deltaPerSecond) {
    PB_ASSERT(PB_INT_ADD_OK( imp->intSecond[0], deltaPerSecond ));
    PB_ASSERT(PB_INT_ADD_OK( imp->intSecond1_59, imp->intSecond[0] + deltaPerSecond ));
    PB_ASSERT(PB_INT_ADD_OK( imp->intMinute1_59, imp->intSecond1_59 + imp->intSecond[0] + deltaPerSecond ));
    Values v;
    v.secondDelayed = imp->secondDelayed;
    v.secondCurrent = imp->intSecond[0] + deltaPerSecond;
    v.minuteDelayed = imp->minuteDelayed;
    v.minuteCurrent = imp->intSecond1_59 + v.secondCurrent;
    v.hourDelayed = imp->hourDelayed;
    v.hourCurrent = imp->intMinute1_59 + v.minuteCurrent;
    return v;
}

// Adds a contribution to both running slots, with the monitor held.
void addToRunningSlots(Imp* imp, PB_INT deltaPerSecond) {
    PB_ASSERT(PB_INT_ADD_OK( imp->intSecond[0], deltaPerSecond ));
    PB_ASSERT(PB_INT_ADD_OK( imp->intMinute[0], deltaPerSecond ));
    imp->intSecond[0] += deltaPerSecond;
    imp->intMinute[0] += deltaPerSecond;
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS___RATE_IMP, &cs___module, "CS___RATE_IMP", impFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(cs___RateImp, CS___RATE_IMP, cs___sort_CS___RATE_IMP)

// The first step runs here, at the creation time itself: the items appear
// with 0 and the next step is due 1000 ms later. No timer is scheduled
// before it, so nothing can run the step concurrently.
extern "C" PB_EXPORT CS___RATE_IMP* cs___RateImpCreate(CS_STATUS_REPORTER* rep, PB_STRING* baseName) {
    PB_ASSERT(rep);
    PB_ASSERT(baseName);
    PB_ASSERT(pbNameCamelCaseOk( baseName, PB_TRUE ));
    auto* imp = reinterpret_cast<Imp*>(pb___ObjCreate(sizeof(Imp), &cs___sort_CS___RATE_IMP));
    imp->rep = csStatusReporterRetain(rep);
    imp->baseName = pbStringRetain(baseName);
    imp->process = pb___ProcessCreate(0, cs___RateImpProcessFunc, reinterpret_cast<PB_OBJ*>(imp),
                                      "cs___RateImpProcessFunc");
    imp->timer = pbTimerCreateWithProcess(imp->process);
    imp->monitor = pbMonitorCreate();
    imp->secondName = pbStringCreateFromFormatCstr("%sSecond", -1, baseName);
    imp->minuteName = pbStringCreateFromFormatCstr("%sMinute", -1, baseName);
    imp->hourName = pbStringCreateFromFormatCstr("%sHour", -1, baseName);
    imp->intTimestamp = pbTimestamp();
    cs___RateImpProcessFunc(reinterpret_cast<PB_OBJ*>(imp));
    return imp;
}

// Not under the monitor: the halt waits for a step in progress, which
// holds it.
extern "C" PB_EXPORT void cs___RateImpHalt(CS___RATE_IMP* imp) {
    PB_ASSERT(imp);
    PB_ASSERT(!pbProcessHalted( imp->process ));
    pbProcessHalt(imp->process);
    pbTimerUnschedule(imp->timer);
}

extern "C" PB_EXPORT PB_STRING* cs___RateImpBaseName(CS___RATE_IMP* imp) {
    PB_ASSERT(imp);
    return pbStringRetain(imp->baseName);
}

extern "C" PB_EXPORT void cs___RateImpContribute(CS___RATE_IMP* imp, PB_INT deltaPerSecond) {
    PB_ASSERT(imp);
    PB_ASSERT(deltaPerSecond >= 0);
    pb::MonitorGuard guard(imp->monitor);
    addToRunningSlots(imp, deltaPerSecond);
}

extern "C" PB_EXPORT PB_BOOL cs___RateImpTryContributeWithLimits(CS___RATE_IMP* imp, CS_RATE_LIMITS* lim,
                                                                 PB_INT deltaPerSecond) {
    PB_ASSERT(imp);
    PB_ASSERT(lim);
    PB_ASSERT(deltaPerSecond >= 0);
    pb::MonitorGuard guard(imp->monitor);
    Values v = valuesWith(imp, deltaPerSecond);
    if (!cs___RateLimitsCheck(lim, v.secondDelayed, v.secondCurrent, v.minuteDelayed, v.minuteCurrent,
                              v.hourDelayed, v.hourCurrent)) {
        return PB_FALSE;
    }
    addToRunningSlots(imp, deltaPerSecond);
    return PB_TRUE;
}

extern "C" PB_EXPORT PB_INT cs___RateImpSecond(CS___RATE_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->monitor);
    return imp->secondDelayed;
}

extern "C" PB_EXPORT PB_INT cs___RateImpMinute(CS___RATE_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->monitor);
    return imp->minuteDelayed;
}

extern "C" PB_EXPORT PB_INT cs___RateImpHour(CS___RATE_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->monitor);
    return imp->hourDelayed;
}

// The base value enters the running slots at once and every later slot
// when it starts. Lowering it below 0 is a caller's error, not a clamp;
// the running slots never hold less than the base value, so their own
// checks follow from the first.
extern "C" PB_EXPORT void cs___RateImpModifyBaseValue(CS___RATE_IMP* imp, PB_INT deltaPerSecond) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->monitor);
    PB_ASSERT(PB_INT_ADD_OK( imp->extBaseValue, deltaPerSecond ));
    PB_ASSERT(imp->extBaseValue + deltaPerSecond >= 0);
    imp->extBaseValue += deltaPerSecond;
    PB_ASSERT(PB_INT_ADD_OK( imp->intSecond[0], deltaPerSecond ));
    PB_ASSERT(imp->intSecond[0] + deltaPerSecond >= 0);
    imp->intSecond[0] += deltaPerSecond;
    PB_ASSERT(PB_INT_ADD_OK( imp->intMinute[0], deltaPerSecond ));
    PB_ASSERT(imp->intMinute[0] + deltaPerSecond >= 0);
    imp->intMinute[0] += deltaPerSecond;
}

extern "C" PB_EXPORT void cs___RateImpValues(CS___RATE_IMP* imp, PB_INT* secondDelayed, PB_INT* secondCurrent,
                                             PB_INT* minuteDelayed, PB_INT* minuteCurrent, PB_INT* hourDelayed,
                                             PB_INT* hourCurrent) {
    PB_ASSERT(imp);
    Values v;
    {
        pb::MonitorGuard guard(imp->monitor);
        v = valuesWith(imp, 0);
    }
    if (secondDelayed) *secondDelayed = v.secondDelayed;
    if (secondCurrent) *secondCurrent = v.secondCurrent;
    if (minuteDelayed) *minuteDelayed = v.minuteDelayed;
    if (minuteCurrent) *minuteCurrent = v.minuteCurrent;
    if (hourDelayed) *hourDelayed = v.hourDelayed;
    if (hourCurrent) *hourCurrent = v.hourCurrent;
}
