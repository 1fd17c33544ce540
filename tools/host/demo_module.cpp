// The demo module "demo" (libvorlix-demo.so): a small module that takes
// part in the configuration and reports changing status, so that a host
// run shows the module "cs" at work.
//
// Configuration (module "demo" under "modules" in the configuration):
//     { "tickMilliseconds": 1000, "label": "demo", "token": "..." }
// "token" is private data: written only when private data is asked for.
// Status items: "csUp" (true while the module runs), "demoTicks" (counts
// the ticks), "demoPhase" (ticks modulo 10), "demoLabel"; the counter
// "demoSessions", which climbs from 0 to 5 over the first five ticks of
// every ten and falls back over the next five; the rate "demoRequests"
// ("demoRequestsSecond", "demoRequestsMinute", "demoRequestsHour"), fed
// with the phase at every tick; "demoPacedEvents", the events that the
// module's scheduler (two per second) let run, one asked for per tick.
// The demo configuration holds a condition on "demoSessions", so the
// condition switches on and off as the sessions rise and fall.
#include <atomic>
#include <mutex>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_process.h"
#include "pb/pb_product.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_timer.h"

extern "C" PB_EXPORT PB_MODULE demo___module;

namespace {

const PB_MODULE_RECORD demoRecord = {
    PB___PRODUCT_RECORD_FIELDS, "demo", "Demo module of the host", "1.0", "pb rfc tr cs", ""};

// The module's state; created by start-up, released by shutdown.
struct Demo {
    std::mutex lock;                    // guards tickMs, label and ticks
    PB_INT tickMs = 1000;
    pb::Ref<PB_STRING> label;
    pb::Ref<PB_STRING> token;           // private; may be null
    PB_INT ticks = 0;
    pb::Ref<CS_STATUS_REPORTER> reporter;
    pb::Ref<PB_PROCESS> process;        // runs tick(); holds no reference to us
    pb::Ref<PB_TIMER> timer;            // schedules the process
    pb::Ref<CS_MODULE_BACKEND> backend;
    pb::Ref<CS_COUNTER> sessions;       // set at start-up; thread-safe
    pb::Ref<CS_RATE> requests;          // set at start-up; thread-safe
    pb::Ref<CS_SCHEDULER> scheduler;    // paces the events
    pb::Ref<CS_SCHEDULER_CLIENT> client;
    pb::Ref<PB_PROCESS> eventProcess;   // runs event() when a slot is granted
    pb::Ref<PB_SIGNALABLE> eventSignalable;
    PB_INT pacedEvents = 0;             // touched only by eventProcess
};
Demo* demo = nullptr;

void tick(PB_OBJ*) {
    PB_INT ticks, tickMs;
    {
        std::lock_guard guard(demo->lock);
        ticks = ++demo->ticks;
        tickMs = demo->tickMs;
    }
    csStatusReporterSetItemCstrInt(demo->reporter.get(), "demoTicks", -1, ticks);
    csStatusReporterSetItemCstrInt(demo->reporter.get(), "demoPhase", -1, ticks % 10);
    // Ticks 1..5 of every ten open a session, ticks 6..10 close one.
    csCounterModifyValue(demo->sessions.get(), (ticks - 1) % 10 < 5 ? 1 : -1);
    csRateContribute(demo->requests.get(), ticks % 10);
    // One event per tick, about a tenth of a tick ahead, when the pace allows.
    csSchedulerClientTrySchedule(demo->client.get(), 0, tickMs / 10, tickMs / 10, tickMs / 2);
    pbTimerSchedule(demo->timer.get(), tickMs);
}

// A granted slot has come: the event runs; listen for the next grant.
void event(PB_OBJ*) {
    csSchedulerClientUpdateAddSignalable(demo->client.get(), demo->eventSignalable.get());
    csStatusReporterSetItemCstrInt(demo->reporter.get(), "demoPacedEvents", -1, ++demo->pacedEvents);
}

PB_STORE* config(PB_OBJ*, PB_BOOL, PB_BOOL includePrivateData) {
    std::lock_guard guard(demo->lock);
    PB_STORE* store = pbStoreCreate();
    pbStoreSetValueIntCstr(&store, "tickMilliseconds", -1, demo->tickMs);
    pbStoreSetValueCstr(&store, "label", -1, demo->label.get());
    if (includePrivateData && demo->token) pbStoreSetValueCstr(&store, "token", -1, demo->token.get());
    return store;
}

// Values that are absent or out of range keep what was there.
void setConfig(PB_OBJ*, PB_STORE* store) {
    PB_INT ms;
    auto label = pb::adopt(pbStoreValueCstr(store, "label", -1));
    auto token = pb::adopt(pbStoreValueCstr(store, "token", -1));
    {
        std::lock_guard guard(demo->lock);
        if (pbStoreValueIntCstr(store, "tickMilliseconds", -1, &ms) && ms >= 10 && ms <= 3600000) demo->tickMs = ms;
        if (label) demo->label = label;
        if (token) demo->token = token;
    }
    if (label) csStatusReporterSetItemCstrString(demo->reporter.get(), "demoLabel", -1, label.get());
}

CS_STATUS* status(PB_OBJ*) { return csStatusReporterStatus(demo->reporter.get()); }

PB_BOOL startup() {
    demo = new Demo();
    demo->label = pb::adopt(pbStringCreateFromCstr("demo", -1));
    demo->reporter = pb::adopt(csStatusReporterCreate(nullptr));
    csStatusReporterSetUp(demo->reporter.get(), PB_TRUE);
    csStatusReporterSetItemCstrInt(demo->reporter.get(), "demoTicks", -1, 0);
    csStatusReporterSetItemCstrString(demo->reporter.get(), "demoLabel", -1, demo->label.get());
    demo->process = pb::adopt(pbProcessCreate(tick, nullptr, "demoTickProcess"));
    demo->sessions = pb::adopt(csCounterCreateCstr(demo->reporter.get(), "demoSessions", -1));
    demo->requests = pb::adopt(csRateCreateCstr(demo->reporter.get(), "demoRequests", -1));
    auto pace = pb::adopt(csSchedulerOptionsCreate());
    csSchedulerOptionsSetEvents(pace.out(), 2);
    csSchedulerOptionsSetInterval(pace.out(), CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND);
    demo->scheduler = pb::adopt(csSchedulerCreate(pace.get(), nullptr));
    demo->client = pb::adopt(csSchedulerClientCreate(demo->scheduler.get(), nullptr));
    csStatusReporterSetItemCstrInt(demo->reporter.get(), "demoPacedEvents", -1, 0);
    demo->eventProcess = pb::adopt(pbProcessCreate(event, nullptr, "demoEventProcess"));
    demo->eventSignalable = pb::adopt(pbSignalableCreateWithProcess(demo->eventProcess.get()));
    csSchedulerClientUpdateAddSignalable(demo->client.get(), demo->eventSignalable.get());
    demo->timer = pb::adopt(pbTimerCreateWithProcess(demo->process.get()));
    demo->backend = pb::adopt(csModuleBackendCreate(&demo___module, config, setConfig, nullptr, status, nullptr));
    pbTimerSchedule(demo->timer.get(), demo->tickMs);
    return PB_TRUE;
}

void halt() {
    pbTimerUnschedule(demo->timer.get());
    pbProcessHalt(demo->process.get());
    csSchedulerClientUnschedule(demo->client.get());
    csSchedulerclientUpdateDelSignalable(demo->client.get(), demo->eventSignalable.get());
    pbProcessHalt(demo->eventProcess.get());
    csStatusReporterSetUp(demo->reporter.get(), PB_FALSE);
}

void shutdown() {
    demo->backend.reset();
    delete demo;
    demo = nullptr;
}

}  // namespace

PB_MODULE_DEFINE(demo___module, &demoRecord, startup, halt, shutdown, nullptr);
