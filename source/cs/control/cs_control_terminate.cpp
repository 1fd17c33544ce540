// Terminate controls: the public object, forwarding to its implementation.
#include "cs/control/cs_control_terminate.h"

#include "cs/base/cs_module.h"
#include "cs/control/cs_control_terminate_imp.h"
#include "pb/pb_stdfunc.hpp"

struct CS_CONTROL_TERMINATE {
    PB_OBJ obj;
    CS___CONTROL_TERMINATE_IMP* imp;  // set once at creation; never NULL
};

namespace {

// Halting first takes the identifier out of the database, even while
// others still hold the implementation.
void terminateFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_CONTROL_TERMINATE);
    auto* term = reinterpret_cast<CS_CONTROL_TERMINATE*>(obj);
    cs___ControlTerminateImpHalt(term->imp);
    pb::releaseField(term->imp);
}

CS___CONTROL_TERMINATE_IMP* impOf(CS_CONTROL_TERMINATE* term) {
    PB_ASSERT(term);
    return term->imp;
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_CONTROL_TERMINATE, &cs___module, "CS_CONTROL_TERMINATE", terminateFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(csControlTerminate, CS_CONTROL_TERMINATE, cs___sort_CS_CONTROL_TERMINATE)

extern "C" PB_EXPORT CS_CONTROL_TERMINATE* csControlTerminateCreate(TR_ANCHOR* anchor) {
    auto* term = reinterpret_cast<CS_CONTROL_TERMINATE*>(
        pb___ObjCreate(sizeof(CS_CONTROL_TERMINATE), &cs___sort_CS_CONTROL_TERMINATE));
    term->imp = cs___ControlTerminateImpCreate(anchor);
    return term;
}

extern "C" PB_EXPORT void csControlTerminateTraceCompleteAnchor(CS_CONTROL_TERMINATE* term, TR_ANCHOR* anchor) {
    cs___ControlTerminateImpTraceCompleteAnchor(impOf(term), anchor);
}

extern "C" PB_EXPORT PB_BOOL csControlTerminateDesired(CS_CONTROL_TERMINATE* term) {
    return cs___ControlTerminateImpDesired(impOf(term));
}

extern "C" PB_EXPORT void csControlTerminateSetDesired(CS_CONTROL_TERMINATE* term) {
    cs___ControlTerminateImpSetDesired(impOf(term));
}

extern "C" PB_EXPORT void csControlTerminateDesiredAddSignalable(CS_CONTROL_TERMINATE* term,
                                                                 PB_SIGNALABLE* signalable) {
    cs___ControlTerminateImpDesiredAddSignalable(impOf(term), signalable);
}

extern "C" PB_EXPORT void csControlTerminateDesiredDelSignalable(CS_CONTROL_TERMINATE* term,
                                                                 PB_SIGNALABLE* signalable) {
    cs___ControlTerminateImpDesiredDelSignalable(impOf(term), signalable);
}
