// The terminate control's implementation: identifier, desired signal, trace.
#include "cs/control/cs_control_terminate_imp.h"

#include "cs/base/cs_module.h"
#include "cs/control/cs_control_terminate_db.h"
#include "pb/pb_signal.h"
#include "pb/pb_stdfunc.hpp"

struct CS___CONTROL_TERMINATE_IMP {
    PB_OBJ obj;
    TR_STREAM* trStream;           // set once at creation
    PB_IDENTIFIER* intIdentifier;  // set once at creation
    PB_SIGNAL* intDesiredSignal;   // set once at creation, never replaced; asserted: termination is desired
};

namespace {

using Imp = CS___CONTROL_TERMINATE_IMP;

void impFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS___CONTROL_TERMINATE_IMP);
    auto* imp = reinterpret_cast<Imp*>(obj);
    pb::releaseField(imp->trStream);
    pb::releaseField(imp->intIdentifier);
    pb::releaseField(imp->intDesiredSignal);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS___CONTROL_TERMINATE_IMP, &cs___module, "CS___CONTROL_TERMINATE_IMP", impFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(cs___ControlTerminateImp, CS___CONTROL_TERMINATE_IMP, cs___sort_CS___CONTROL_TERMINATE_IMP)

extern "C" PB_EXPORT CS___CONTROL_TERMINATE_IMP* cs___ControlTerminateImpCreate(TR_ANCHOR* anchor) {
    auto* imp = reinterpret_cast<Imp*>(pb___ObjCreate(sizeof(Imp), &cs___sort_CS___CONTROL_TERMINATE_IMP));
    imp->intIdentifier = pbIdentifierCreate();
    imp->intDesiredSignal = pbSignalCreate();
    imp->trStream = trStreamCreateCstr("CS_CONTROL_TERMINATE", -1);
    if (anchor) trAnchorComplete(anchor, imp->trStream);
    PB_STRING* text = pbIdentifierString(imp->intIdentifier);
    trStreamSetPropertyCstrString(imp->trStream, "csControlTerminateIdentifier", -1, text);
    pbStringRelease(text);
    trStreamSetPropertyCstrBool(imp->trStream, "csControlTerminateDesired", -1, PB_FALSE);
    cs___ControlTerminateDbRegister(imp->intIdentifier, imp);
    return imp;
}

extern "C" PB_EXPORT void cs___ControlTerminateImpHalt(CS___CONTROL_TERMINATE_IMP* imp) {
    PB_ASSERT(imp);
    cs___ControlTerminateDbUnregister(imp->intIdentifier);
}

extern "C" PB_EXPORT void cs___ControlTerminateImpTraceCompleteAnchor(CS___CONTROL_TERMINATE_IMP* imp,
                                                                      TR_ANCHOR* anchor) {
    PB_ASSERT(imp);
    PB_ASSERT(anchor);
    trAnchorComplete(anchor, imp->trStream);
}

extern "C" PB_EXPORT PB_IDENTIFIER* cs___ControlTerminateImpIdentifier(CS___CONTROL_TERMINATE_IMP* imp) {
    PB_ASSERT(imp);
    return pbIdentifierRetain(imp->intIdentifier);
}

extern "C" PB_EXPORT PB_BOOL cs___ControlTerminateImpDesired(CS___CONTROL_TERMINATE_IMP* imp) {
    PB_ASSERT(imp);
    return pbSignalAsserted(imp->intDesiredSignal);
}

// The property goes first, so whoever is woken by the signal finds the
// trace already saying so. Setting it again notifies nobody anew.
extern "C" PB_EXPORT void cs___ControlTerminateImpSetDesired(CS___CONTROL_TERMINATE_IMP* imp) {
    PB_ASSERT(imp);
    trStreamSetPropertyCstrBool(imp->trStream, "csControlTerminateDesired", -1, PB_TRUE);
    pbSignalAssert(imp->intDesiredSignal);
}

extern "C" PB_EXPORT void cs___ControlTerminateImpDesiredAddSignalable(CS___CONTROL_TERMINATE_IMP* imp,
                                                                       PB_SIGNALABLE* signalable) {
    PB_ASSERT(imp);
    pbSignalAddSignalable(imp->intDesiredSignal, signalable);
}

extern "C" PB_EXPORT void cs___ControlTerminateImpDesiredDelSignalable(CS___CONTROL_TERMINATE_IMP* imp,
                                                                       PB_SIGNALABLE* signalable) {
    PB_ASSERT(imp);
    pbSignalDelSignalable(imp->intDesiredSignal, signalable);
}
