// The condition's implementation: its process, hold timer and switching.
#include "cs/condition/cs_condition_imp.h"

#include "cs/base/cs_module.h"
#include "cs/condition/cs_condition_ruleset_eval.h"
#include "cs/base/cs_release_later.hpp"
#include "cs/base/cs_update_signal.hpp"
#include "cs/status/cs_status_reporter.h"
#include "pb/pb_alertable.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_process.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_signal.h"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_timer.h"
#include "tr/tr_stream.h"

struct CS___CONDITION_IMP {
    PB_OBJ obj;
    TR_STREAM* intTrStream;                     // set once at creation; "CS_CONDITION"
    PB_PROCESS* isProcess;                      // set once at creation; runs processFunc
    PB_ALERTABLE* intAlertable;                 // set once at creation; schedules isProcess
    PB_TIMER* intTimer;                         // set once at creation; the hold timer, schedules isProcess
    PB_MONITOR* intMonitor;                     // set once at creation; guards every field below
    CS_STATUS_REPORTER* intStatusReporter;      // set once at creation; reports "csConditionValue"
    CS_CONDITION_OPTIONS* extOptions;           // guarded by intMonitor; the options last given
    PB_BOOL extValue;                           // guarded by intMonitor
    PB_SIGNAL* intUpdateSignal;                 // guarded by intMonitor; asserted and replaced when extValue changes
    CS_CONDITION_OPTIONS* intAppliedOptions;    // guarded by intMonitor; NULL before the first run
    CS___CONDITION_RULESET_EVAL* intRulesetEval;  // guarded by intMonitor; NULL while holding and after new options
};

namespace {

using Imp = CS___CONDITION_IMP;

void impFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS___CONDITION_IMP);
    auto* imp = reinterpret_cast<Imp*>(obj);
    pb::releaseField(imp->intTrStream);
    pb::releaseField(imp->isProcess);
    pb::releaseField(imp->intAlertable);
    pb::releaseField(imp->intTimer);
    pb::releaseField(imp->intMonitor);
    pb::releaseField(imp->intStatusReporter);
    pb::releaseField(imp->extOptions);
    pb::releaseField(imp->intUpdateSignal);
    pb::releaseField(imp->intAppliedOptions);
    pb::releaseField(imp->intRulesetEval);
}

// Drops the evaluation; the process stops listening to it first, so that
// statuses it still watches do not wake the process for nothing. Monitor
// held; the evaluation (with its object observers) goes after the monitor
// is left.
void dropEval(Imp* imp, cs::ReleaseLater& later) {
    if (!imp->intRulesetEval) return;
    cs___ConditionRulesetEvalOutOfDateDelAlertable(imp->intRulesetEval, imp->intAlertable);
    later.clear(imp->intRulesetEval);
}

// One run of the process, with the monitor held throughout:
//  1. new options (another object that does not compare equal) are
//     applied: traced, the evaluation dropped and a hold cut short;
//  2. without an evaluation, a running hold ends the run; else a new
//     evaluation starts, of the ruleset that fits the value;
//  3. an out-of-date evaluation is updated, and the process listens to it;
//  4. a value that differs from the evaluation's switches the condition
//     and starts the hold for the new value.
void processFunc(PB_OBJ* argument) {
    PB_ASSERT(argument);
    auto holder = pb::retain(cs___ConditionImpFrom(argument));  // kept while the run lasts
    Imp* imp = holder.get();
    cs::ReleaseLater later;
    pb::MonitorGuard guard(imp->intMonitor);

    if (imp->extOptions != imp->intAppliedOptions) {
        bool differs = !imp->intAppliedOptions ||
                       pbObjCompare(csConditionOptionsObj(imp->extOptions),
                                    csConditionOptionsObj(imp->intAppliedOptions)) != 0;
        later.replace(imp->intAppliedOptions, imp->extOptions);
        if (differs) {
            auto config = pb::adopt(csConditionOptionsStore(imp->intAppliedOptions, PB_FALSE));
            trStreamSetConfiguration(imp->intTrStream, config.get());
            dropEval(imp, later);
            pbTimerUnschedule(imp->intTimer);
        }
    }

    if (!imp->intRulesetEval) {
        if (pbTimerScheduled(imp->intTimer)) return;
        pb::Ref<CS_CONDITION_RULESET> rs;
        if (imp->extValue) rs = pb::adopt(csConditionOptionsHysteresisRuleset(imp->intAppliedOptions));
        if (!rs) rs = pb::adopt(csConditionOptionsRuleset(imp->intAppliedOptions));
        imp->intRulesetEval = cs___ConditionRulesetEvalCreate(rs.get());
    }

    if (cs___ConditionRulesetEvalOutOfDate(imp->intRulesetEval)) cs___ConditionRulesetEvalUpdate(imp->intRulesetEval);
    PB_BOOL value = cs___ConditionRulesetEvalValue(imp->intRulesetEval);
    cs___ConditionRulesetEvalOutOfDateAddAlertable(imp->intRulesetEval, imp->intAlertable);

    if (value != imp->extValue) {
        imp->extValue = value;
        csStatusReporterSetItemCstrBool(imp->intStatusReporter, "csConditionValue", -1, value);
        cs::assertUpdate(imp->intUpdateSignal);
        dropEval(imp, later);
        pbTimerSchedule(imp->intTimer, value ? csConditionOptionsOnHoldTime(imp->intAppliedOptions)
                                             : csConditionOptionsOffHoldTime(imp->intAppliedOptions));
    }
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS___CONDITION_IMP, &cs___module, "CS___CONDITION_IMP", impFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(cs___ConditionImp, CS___CONDITION_IMP, cs___sort_CS___CONDITION_IMP)

extern "C" PB_EXPORT CS___CONDITION_IMP* cs___ConditionImpCreate(CS_CONDITION_OPTIONS* opt, TR_ANCHOR* anchor) {
    PB_ASSERT(opt);
    auto* imp = reinterpret_cast<Imp*>(pb___ObjCreate(sizeof(Imp), &cs___sort_CS___CONDITION_IMP));
    imp->isProcess = pb___ProcessCreate(0, processFunc, &imp->obj, "cs___ConditionImpProcessFunc");
    imp->intAlertable = pbAlertableCreateWithProcess(imp->isProcess);
    imp->intTimer = pbTimerCreateWithProcess(imp->isProcess);
    imp->intMonitor = pbMonitorCreate();
    imp->intUpdateSignal = pbSignalCreate();
    imp->extOptions = csConditionOptionsRetain(opt);
    imp->extValue = PB_FALSE;

    imp->intTrStream = trStreamCreateCstr("CS_CONDITION", -1);
    if (anchor) trAnchorComplete(anchor, imp->intTrStream);
    auto reporterAnchor = pb::adopt(trAnchorCreate(imp->intTrStream, 9));
    imp->intStatusReporter = csStatusReporterCreate(reporterAnchor.get());
    csStatusReporterSetItemCstrBool(imp->intStatusReporter, "csConditionValue", -1, PB_FALSE);
    pbProcessSchedule(imp->isProcess);
    return imp;
}

// The check runs under the monitor; the halt itself waits for a run in
// progress on another thread, which needs the monitor, so it comes after.
extern "C" PB_EXPORT void cs___ConditionImpHalt(CS___CONDITION_IMP* imp) {
    PB_ASSERT(imp);
    {
        pb::MonitorGuard guard(imp->intMonitor);
        PB_ASSERT(!pbProcessHalted( imp->isProcess ));
    }
    pbProcessHalt(imp->isProcess);
    trStreamTextCstr(imp->intTrStream, "[cs___ConditionImpHalt()]", -1);
}

extern "C" PB_EXPORT CS_CONDITION_OPTIONS* cs___ConditionImpOptions(CS___CONDITION_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->intMonitor);
    return csConditionOptionsRetain(imp->extOptions);
}

extern "C" PB_EXPORT void cs___ConditionImpSetOptions(CS___CONDITION_IMP* imp, CS_CONDITION_OPTIONS* opt) {
    PB_ASSERT(imp);
    PB_ASSERT(opt);
    {
        cs::ReleaseLater later;
        pb::MonitorGuard guard(imp->intMonitor);
        later.replace(imp->extOptions, opt);
    }
    pbProcessSchedule(imp->isProcess);
}

extern "C" PB_EXPORT PB_BOOL cs___ConditionImpValue(CS___CONDITION_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->intMonitor);
    return imp->extValue;
}

// The reporter is fixed for the implementation's life, so no lock is
// taken: conditions whose rules read each other's status never wait for
// each other's monitor.
extern "C" PB_EXPORT CS_STATUS* cs___ConditionImpStatus(CS___CONDITION_IMP* imp) {
    PB_ASSERT(imp);
    return csStatusReporterStatus(imp->intStatusReporter);
}

extern "C" PB_EXPORT void cs___ConditionImpUpdateAddSignalable(CS___CONDITION_IMP* imp, PB_SIGNALABLE* signalable) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->intMonitor);
    pbSignalAddSignalable(imp->intUpdateSignal, signalable);
}

extern "C" PB_EXPORT void cs___ConditionImpUpdateDelSignalable(CS___CONDITION_IMP* imp, PB_SIGNALABLE* signalable) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->intMonitor);
    pbSignalDelSignalable(imp->intUpdateSignal, signalable);
}

extern "C" PB_EXPORT void cs___ConditionImpTraceCompleteAnchor(CS___CONDITION_IMP* imp, TR_ANCHOR* anchor) {
    PB_ASSERT(imp);
    PB_ASSERT(anchor);
    trAnchorComplete(anchor, imp->intTrStream);
}
