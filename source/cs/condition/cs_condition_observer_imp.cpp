// The condition observer's implementation: a process that follows an
// object observer and the condition it sees.
#include "cs/condition/cs_condition_observer_imp.h"

#include "cs/base/cs_module.h"
#include "cs/object/cs_object_observer.h"
#include "cs/base/cs_release_later.hpp"
#include "cs/base/cs_update_signal.hpp"
#include "pb/pb_monitor.hpp"
#include "pb/pb_process.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_signal.h"
#include "pb/pb_stdfunc.hpp"
#include "tr/tr_stream.h"

struct CS___CONDITION_OBSERVER_IMP {
    PB_OBJ obj;
    TR_STREAM* intTrStream;                 // set once at creation; "CS_CONDITION_OBSERVER"
    PB_PROCESS* isProcess;                  // set once at creation; runs processFunc
    PB_SIGNALABLE* intSignalable;           // set once at creation; schedules isProcess
    PB_MONITOR* intMonitor;                 // set once at creation; guards the three fields below
    PB_SIGNAL* intUpdateSignal;             // guarded by intMonitor; asserted when condition or value change
    CS_CONDITION* extCondition;             // guarded by intMonitor; the condition observed, or NULL
    PB_BOOL extValue;                       // guarded by intMonitor; its value as last read, false without one
    CS_OBJECT_OBSERVER* intObjectObserver;  // set once at creation; holds the settings; locks itself
};

namespace {

using Imp = CS___CONDITION_OBSERVER_IMP;

void impFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS___CONDITION_OBSERVER_IMP);
    auto* imp = reinterpret_cast<Imp*>(obj);
    pb::releaseField(imp->intTrStream);
    pb::releaseField(imp->isProcess);
    pb::releaseField(imp->intSignalable);
    pb::releaseField(imp->intMonitor);
    pb::releaseField(imp->intUpdateSignal);
    pb::releaseField(imp->extCondition);
    pb::releaseField(imp->intObjectObserver);
}

// One run: listen to the inner observer again, take the condition it sees
// (tracing a change and moving the subscription to the new condition),
// read its value, and tell the watchers when condition or value changed.
void processFunc(PB_OBJ* argument) {
    PB_ASSERT(argument);
    auto holder = pb::retain(cs___ConditionObserverImpFrom(argument));  // kept while the run lasts
    Imp* imp = holder.get();
    cs::ReleaseLater later;
    pb::MonitorGuard guard(imp->intMonitor);

    csObjectObserverUpdateAddSignalable(imp->intObjectObserver, imp->intSignalable);
    auto candidate = pb::adopt(csConditionFrom(csObjectObserverObject(imp->intObjectObserver)));
    bool changed = false;
    if (candidate.get() != imp->extCondition) {
        if (imp->extCondition) csConditionUpdateDelSignalable(imp->extCondition, imp->intSignalable);
        later.replace(imp->extCondition, candidate.get());
        auto anchor = pb::adopt(trAnchorCreateWithAnnotationCstr(imp->intTrStream, 12, "csCondition", -1));
        if (candidate) csConditionTraceCompleteAnchor(candidate.get(), anchor.get());
        changed = true;
    }
    PB_BOOL value = PB_FALSE;
    if (candidate) {
        csConditionUpdateAddSignalable(candidate.get(), imp->intSignalable);
        value = csConditionValue(candidate.get());
    }
    if (value != imp->extValue) {
        imp->extValue = value;
        changed = true;
    }
    if (changed) cs::assertUpdate(imp->intUpdateSignal);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS___CONDITION_OBSERVER_IMP, &cs___module, "CS___CONDITION_OBSERVER_IMP", impFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(cs___ConditionObserverImp, CS___CONDITION_OBSERVER_IMP, cs___sort_CS___CONDITION_OBSERVER_IMP)

extern "C" PB_EXPORT CS___CONDITION_OBSERVER_IMP* cs___ConditionObserverImpCreate(TR_ANCHOR* anchor) {
    auto* imp = reinterpret_cast<Imp*>(pb___ObjCreate(sizeof(Imp), &cs___sort_CS___CONDITION_OBSERVER_IMP));
    imp->intTrStream = trStreamCreateCstr("CS_CONDITION_OBSERVER", -1);
    imp->isProcess = pb___ProcessCreate(0, processFunc, &imp->obj, "cs___ConditionObserverImpProcessFunc");
    imp->intSignalable = pbSignalableCreateWithProcess(imp->isProcess);
    imp->intMonitor = pbMonitorCreate();
    imp->intUpdateSignal = pbSignalCreate();
    imp->intObjectObserver = csObjectObserverCreateWithRequiredSort(csConditionSort());
    if (anchor) trAnchorComplete(anchor, imp->intTrStream);
    processFunc(&imp->obj);
    return imp;
}

// The check runs under the monitor; the halt itself waits for a run in
// progress on another thread, which needs the monitor, so it comes after.
extern "C" PB_EXPORT void cs___ConditionObserverImpHalt(CS___CONDITION_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    {
        pb::MonitorGuard guard(imp->intMonitor);
        PB_ASSERT(!pbProcessHalted( imp->isProcess ));
    }
    pbProcessHalt(imp->isProcess);
    // The condition may outlive the observer; its update signal would keep
    // the signalable and with it the process.
    pb::MonitorGuard guard(imp->intMonitor);
    if (imp->extCondition) csConditionUpdateDelSignalable(imp->extCondition, imp->intSignalable);
}

extern "C" PB_EXPORT PB_STRING* cs___ConditionObserverImpObservedName(CS___CONDITION_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    return csObjectObserverObservedName(imp->intObjectObserver);
}
extern "C" PB_EXPORT PB_BOOL cs___ConditionObserverImpHasObservedName(CS___CONDITION_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    return csObjectObserverHasObservedName(imp->intObjectObserver);
}
extern "C" PB_EXPORT void cs___ConditionObserverImpSetObservedName(CS___CONDITION_OBSERVER_IMP* imp, PB_STRING* name) {
    PB_ASSERT(imp);
    csObjectObserverSetObservedName(imp->intObjectObserver, name);
}
extern "C" PB_EXPORT void cs___ConditionObserverImpDelObservedName(CS___CONDITION_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    csObjectObserverDelObservedName(imp->intObjectObserver);
}

extern "C" PB_EXPORT CS_CONDITION* cs___ConditionObserverImpFixedCondition(CS___CONDITION_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    return csConditionFrom(csObjectObserverFixedObject(imp->intObjectObserver));
}
extern "C" PB_EXPORT PB_BOOL cs___ConditionObserverImpHasFixedCondition(CS___CONDITION_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    return csObjectObserverHasFixedObject(imp->intObjectObserver);
}
extern "C" PB_EXPORT void cs___ConditionObserverImpSetFixedCondition(CS___CONDITION_OBSERVER_IMP* imp,
                                                                     CS_CONDITION* condition) {
    PB_ASSERT(imp);
    PB_ASSERT(condition);
    csObjectObserverSetFixedObject(imp->intObjectObserver, csConditionObj(condition));
}
extern "C" PB_EXPORT void cs___ConditionObserverImpDelFixedCondition(CS___CONDITION_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    csObjectObserverDelFixedObject(imp->intObjectObserver);
}

extern "C" PB_EXPORT void cs___ConditionObserverImpConfigure(CS___CONDITION_OBSERVER_IMP* imp,
                                                             PB_STRING* optionalName,
                                                             CS_CONDITION* optionalCondition) {
    PB_ASSERT(imp);
    csObjectObserverConfigure(imp->intObjectObserver, optionalName, csConditionObj(optionalCondition));
}
extern "C" PB_EXPORT PB_BOOL cs___ConditionObserverImpConfigured(CS___CONDITION_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    return csObjectObserverConfigured(imp->intObjectObserver);
}

extern "C" PB_EXPORT CS_CONDITION* cs___ConditionObserverImpCondition(CS___CONDITION_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->intMonitor);
    return imp->extCondition ? csConditionRetain(imp->extCondition) : nullptr;
}
extern "C" PB_EXPORT PB_BOOL cs___ConditionObserverImpHasCondition(CS___CONDITION_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->intMonitor);
    return imp->extCondition != nullptr;
}
extern "C" PB_EXPORT PB_BOOL cs___ConditionObserverImpConditionValue(CS___CONDITION_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->intMonitor);
    return imp->extCondition ? imp->extValue : PB_FALSE;
}

// Without a condition: missingValue while a name or a fixed condition is
// set, unconfiguredValue otherwise.
extern "C" PB_EXPORT PB_BOOL cs___ConditionObserverImpConditionValueWithFallback(CS___CONDITION_OBSERVER_IMP* imp,
                                                                                 PB_BOOL unconfiguredValue,
                                                                                 PB_BOOL missingValue) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->intMonitor);
    if (imp->extCondition) return imp->extValue;
    return csObjectObserverConfigured(imp->intObjectObserver) ? missingValue : unconfiguredValue;
}

extern "C" PB_EXPORT void cs___ConditionObserverImpTraceCompleteAnchor(CS___CONDITION_OBSERVER_IMP* imp,
                                                                       TR_ANCHOR* anchor) {
    PB_ASSERT(imp);
    PB_ASSERT(anchor);
    trAnchorComplete(anchor, imp->intTrStream);
}

extern "C" PB_EXPORT void cs___ConditionObserverImpUpdateAddSignalable(CS___CONDITION_OBSERVER_IMP* imp,
                                                                       PB_SIGNALABLE* signalable) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->intMonitor);
    pbSignalAddSignalable(imp->intUpdateSignal, signalable);
}

extern "C" PB_EXPORT void cs___ConditionObserverImpUpdateDelSignalable(CS___CONDITION_OBSERVER_IMP* imp,
                                                                       PB_SIGNALABLE* signalable) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->intMonitor);
    pbSignalDelSignalable(imp->intUpdateSignal, signalable);
}
