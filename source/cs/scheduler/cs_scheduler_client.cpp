// Scheduler clients: the public object, holding its scheduler and its
// implementation.
#include "cs/scheduler/cs_scheduler_client.h"

#include "cs/base/cs_module.h"
#include "cs/scheduler/cs_scheduler_client_imp.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_SCHEDULER_CLIENT {
    PB_OBJ obj;
    CS_SCHEDULER* scheduler;              // set once at creation; never NULL
    CS___SCHEDULER_CLIENT_IMP* imp;       // set once at creation; never NULL
};

namespace {

// The reservation goes first, then the process stops; the scheduler lives
// at least as long as its clients.
void clientFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_SCHEDULER_CLIENT);
    auto* client = reinterpret_cast<CS_SCHEDULER_CLIENT*>(obj);
    cs___SchedulerClientImpUnschedule(client->imp, client->scheduler);
    cs___SchedulerClientImpHalt(client->imp);
    pb::releaseField(client->scheduler);
    pb::releaseField(client->imp);
}

CS___SCHEDULER_CLIENT_IMP* impOf(CS_SCHEDULER_CLIENT* client) {
    PB_ASSERT(client);
    return client->imp;
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_SCHEDULER_CLIENT, &cs___module, "CS_SCHEDULER_CLIENT", clientFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csSchedulerClient, CS_SCHEDULER_CLIENT, cs___sort_CS_SCHEDULER_CLIENT)

// The client's trace links to its scheduler's through an anchor of kind 18.
extern "C" PB_EXPORT CS_SCHEDULER_CLIENT* csSchedulerClientCreate(CS_SCHEDULER* sched, TR_ANCHOR* anchor) {
    PB_ASSERT(sched);
    auto* client = reinterpret_cast<CS_SCHEDULER_CLIENT*>(
        pb___ObjCreate(sizeof(CS_SCHEDULER_CLIENT), &cs___sort_CS_SCHEDULER_CLIENT));
    client->scheduler = csSchedulerRetain(sched);
    client->imp = cs___SchedulerClientImpCreate(anchor, sched);
    return client;
}

extern "C" PB_EXPORT void csSchedulerClientTraceCompleteAnchor(CS_SCHEDULER_CLIENT* client, TR_ANCHOR* anchor) {
    cs___SchedulerClientImpTraceCompleteAnchor(impOf(client), anchor);
}

extern "C" PB_EXPORT CS_SCHEDULER* csSchedulerClientScheduler(CS_SCHEDULER_CLIENT* client) {
    PB_ASSERT(client);
    return csSchedulerRetain(client->scheduler);
}

extern "C" PB_EXPORT PB_BOOL csSchedulerClientTrySchedule(CS_SCHEDULER_CLIENT* client, PB_INT flags,
                                                          PB_INT milliseconds, PB_INT millisecondsEarlier,
                                                          PB_INT millisecondsLater) {
    return cs___SchedulerClientImpTrySchedule(impOf(client), client->scheduler, flags, milliseconds,
                                              millisecondsEarlier, millisecondsLater);
}

extern "C" PB_EXPORT void csSchedulerClientUnschedule(CS_SCHEDULER_CLIENT* client) {
    cs___SchedulerClientImpUnschedule(impOf(client), client->scheduler);
}

extern "C" PB_EXPORT PB_BOOL csSchedulerClientScheduled(CS_SCHEDULER_CLIENT* client) {
    return cs___SchedulerClientImpScheduled(impOf(client));
}

extern "C" PB_EXPORT void csSchedulerClientUpdateAddSignalable(CS_SCHEDULER_CLIENT* client,
                                                               PB_SIGNALABLE* signalable) {
    cs___SchedulerClientImpUpdateAddSignalable(impOf(client), signalable);
}

// Exported under this spelling, with a lower-case c, which callers use.
extern "C" PB_EXPORT void csSchedulerclientUpdateDelSignalable(CS_SCHEDULER_CLIENT* client,
                                                               PB_SIGNALABLE* signalable) {
    cs___SchedulerClientImpUpdateDelSignalable(impOf(client), signalable);
}
