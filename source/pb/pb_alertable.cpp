// Alertables: the action an alert takes on each of its listeners.
#include "pb/pb_alertable.h"

#include "pb/pb_alertable.hpp"
#include "pb/pb_module.h"
#include "pb/pb_process.h"
#include "pb/pb_stdfunc.hpp"

struct PB_ALERTABLE {
    PB_OBJ obj;
    PB_PROCESS* process;          // set once at creation; retained, or NULL
    void (*func)(void* context);  // set once at creation, or NULL
    void* context;                // set once at creation
};

namespace {

void alertableFree(PB_OBJ* obj);

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_ALERTABLE, &pb___module, "PB_ALERTABLE", alertableFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(pbAlertable, PB_ALERTABLE, pb___sort_PB_ALERTABLE)

namespace {

void alertableFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_ALERTABLE);
    pb::releaseField(reinterpret_cast<PB_ALERTABLE*>(obj)->process);
}

PB_ALERTABLE* create() {
    return reinterpret_cast<PB_ALERTABLE*>(pb___ObjCreate(sizeof(PB_ALERTABLE), &pb___sort_PB_ALERTABLE));
}

}  // namespace

extern "C" PB_EXPORT PB_ALERTABLE* pbAlertableCreateWithProcess(PB_PROCESS* process) {
    PB_ASSERT(process);
    PB_ALERTABLE* a = create();
    a->process = pbProcessRetain(process);
    return a;
}

extern "C" PB_EXPORT PB_ALERTABLE* pbAlertableCreateWithCallback(void (*func)(void* context), void* context) {
    PB_ASSERT(func);
    PB_ALERTABLE* a = create();
    a->func = func;
    a->context = context;
    return a;
}

namespace pb {

void alertableNotify(PB_ALERTABLE* a) {
    if (a->process) pbProcessSchedule(a->process);
    else a->func(a->context);
}

}  // namespace pb
