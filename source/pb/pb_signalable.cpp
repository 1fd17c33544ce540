// Signalables: the action a signal takes on each of its listeners.
#include "pb/pb_signalable.h"

#include "pb/pb_alert.h"
#include "pb/pb_module.h"
#include "pb/pb_process.h"
#include "pb/pb_signal.h"
#include "pb/pb_signalable.hpp"
#include "pb/pb_stdfunc.hpp"

struct PB_SIGNALABLE {
    PB_OBJ obj;
    PB_ALERT* alert;              // set once at creation; retained, or NULL
    PB_PROCESS* process;          // set once at creation; retained, or NULL
    PB_SIGNAL* signal;            // set once at creation; retained, or NULL
    void (*func)(void* context);  // set once at creation, or NULL
    void* context;                // set once at creation
};

namespace {

void signalableFree(PB_OBJ* obj);

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_SIGNALABLE, &pb___module, "PB_SIGNALABLE", signalableFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(pbSignalable, PB_SIGNALABLE, pb___sort_PB_SIGNALABLE)

namespace {

void signalableFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_SIGNALABLE);
    auto* s = reinterpret_cast<PB_SIGNALABLE*>(obj);
    pb::releaseField(s->alert);
    pb::releaseField(s->process);
    pb::releaseField(s->signal);
}

PB_SIGNALABLE* create() {
    return reinterpret_cast<PB_SIGNALABLE*>(pb___ObjCreate(sizeof(PB_SIGNALABLE), &pb___sort_PB_SIGNALABLE));
}

}  // namespace

extern "C" PB_EXPORT PB_SIGNALABLE* pbSignalableCreateWithAlert(PB_ALERT* alert) {
    PB_ASSERT(alert);
    PB_SIGNALABLE* s = create();
    s->alert = pbAlertRetain(alert);
    return s;
}

extern "C" PB_EXPORT PB_SIGNALABLE* pbSignalableCreateWithProcess(PB_PROCESS* process) {
    PB_ASSERT(process);
    PB_SIGNALABLE* s = create();
    s->process = pbProcessRetain(process);
    return s;
}

extern "C" PB_EXPORT PB_SIGNALABLE* pbSignalableCreateWithSignal(PB_SIGNAL* signal) {
    PB_ASSERT(signal);
    PB_SIGNALABLE* s = create();
    s->signal = pbSignalRetain(signal);
    return s;
}

extern "C" PB_EXPORT PB_SIGNALABLE* pbSignalableCreateWithCallback(void (*func)(void* context), void* context) {
    PB_ASSERT(func);
    PB_SIGNALABLE* s = create();
    s->func = func;
    s->context = context;
    return s;
}

namespace pb {

void signalableNotify(PB_SIGNALABLE* s) {
    if (s->alert) pbAlertSet(s->alert);
    else if (s->process) pbProcessSchedule(s->process);
    else if (s->signal) pbSignalAssert(s->signal);
    else s->func(s->context);
}

}  // namespace pb
