/* greeter: a module written in C against the installed vorlix libraries.
 *
 * Module "greeter" (libvorlix-greeter.so) registers the sort GREETER: a
 * greeter object greets every intervalMilliseconds, counting its greetings
 * in its status. Its configuration:
 *     { "greeting": "hello", "intervalMilliseconds": 1000 }
 * The module's own configuration ("modules"/"greeter"/"config") holds
 * { "defaultGreeting": "hello" }, used by greeters configured without one.
 *
 * Objects of the sort are created by the configuration (an entry under
 * "objects" with "sort": "GREETER"), never by the module itself. */
#include <stddef.h>

#include "cs/cs.h"
#include "pb/pb.h"

extern PB_EXPORT PB_MODULE greeter___module;

static const PB_MODULE_RECORD greeterRecord = {
    2, "vorlix", "Vorlix Server", 6, 0, 0, "UTC 2026-12-06 00:00:00 (Sunday)", "Example",
    "Example module; no rights reserved.", "greeter", "Greets, as an example of a module in C", "1.0",
    "pb rfc tr cs", ""};

/* ---- the sort GREETER ---------------------------------------------- */

typedef struct GREETER {
    PB_OBJ obj;                   /* runtime header; fields follow */
    PB_MONITOR* monitor;          /* guards greeting and intervalMs */
    PB_STRING* greeting;          /* guarded by monitor */
    PB_INT intervalMs;            /* guarded by monitor */
    PB_INT greetings;             /* touched only by the process */
    CS_STATUS_REPORTER* reporter; /* set once at creation */
    PB_PROCESS* process;          /* runs greeterProcess; holds no reference to us */
    PB_TIMER* timer;              /* schedules the process */
} GREETER;

static void greeterFree(PB_OBJ* obj);
PB_SORT_DEFINE(greeter___sort_GREETER, &greeter___module, "GREETER", greeterFree, NULL, NULL);

/* The module's state: set by start-up, released by shutdown. */
static PB_MONITOR* moduleMonitor;       /* guards defaultGreeting */
static PB_STRING* defaultGreeting;
static CS_SORT_BACKEND* sortBackend;
static CS_MODULE_BACKEND* moduleBackend;

static void greeterFree(PB_OBJ* obj) {
    GREETER* g = (GREETER*)obj;
    /* Stop the activity first: after pbProcessHalt the process never runs
     * again, so nothing touches the fields released below. */
    pbProcessHalt(g->process);
    pbTimerUnschedule(g->timer);
    pbObjRelease((PB_OBJ*)g->timer);
    pbObjRelease((PB_OBJ*)g->process);
    pbObjRelease((PB_OBJ*)g->reporter);
    pbObjRelease((PB_OBJ*)g->greeting);
    pbObjRelease((PB_OBJ*)g->monitor);
}

/* Runs on the runtime's executor, never twice at once. */
static void greeterProcess(PB_OBJ* obj) {
    GREETER* g = (GREETER*)obj;
    pbMonitorEnter(g->monitor);
    PB_STRING* greeting = (PB_STRING*)pbObjRetain((PB_OBJ*)g->greeting);
    PB_INT intervalMs = g->intervalMs;
    pbMonitorLeave(g->monitor);
    g->greetings += 1;
    csStatusReporterSetItemCstrInt(g->reporter, "greeterGreetings", -1, g->greetings);
    csStatusReporterSetItemCstrString(g->reporter, "greeterGreeting", -1, greeting);
    pbObjRelease((PB_OBJ*)greeting);
    pbTimerSchedule(g->timer, intervalMs);
}

/* Reads a configuration store into g; absent or bad values keep what is
 * there (or the module's default greeting for a new greeter). */
static void greeterApply(GREETER* g, PB_STORE* config) {
    PB_STRING* greeting = config ? pbStoreValueCstr(config, "greeting", -1) : NULL;
    PB_INT ms = 0;
    if (!greeting && !g->greeting) {
        pbMonitorEnter(moduleMonitor);
        greeting = (PB_STRING*)pbObjRetain((PB_OBJ*)defaultGreeting);
        pbMonitorLeave(moduleMonitor);
    }
    pbMonitorEnter(g->monitor);
    if (greeting) {
        pbObjRelease((PB_OBJ*)g->greeting);
        g->greeting = greeting;
    }
    if (config && pbStoreValueIntCstr(config, "intervalMilliseconds", -1, &ms) && ms >= 10 && ms <= 3600000)
        g->intervalMs = ms;
    pbMonitorLeave(g->monitor);
}

static PB_STORE* greeterStore(GREETER* g) {
    PB_STORE* store = pbStoreCreate();
    pbMonitorEnter(g->monitor);
    pbStoreSetValueCstr(&store, "greeting", -1, g->greeting);
    pbStoreSetValueIntCstr(&store, "intervalMilliseconds", -1, g->intervalMs);
    pbMonitorLeave(g->monitor);
    return store;
}

/* Sort backend callbacks. context is the one given to csSortBackendCreate
 * (NULL here). Objects handed in are borrowed and of our sort. */

/* Apply calls this for an entry whose object is missing or of another
 * sort: config is the entry's "config" (NULL when absent), anchor a trace
 * anchor or NULL. Returns a new reference, or NULL when it cannot create. */
static PB_OBJ* greeterTryCreate(PB_OBJ* context, PB_STORE* config, TR_ANCHOR* anchor) {
    (void)context;
    GREETER* g = (GREETER*)pbObjCreate(sizeof(GREETER), &greeter___sort_GREETER);
    g->monitor = pbMonitorCreate();
    g->intervalMs = 1000;
    g->reporter = csStatusReporterCreate(anchor);
    g->process = pbProcessCreate(greeterProcess, &g->obj, "greeterProcess");
    g->timer = pbTimerCreateWithProcess(g->process);
    greeterApply(g, config);
    csStatusReporterSetUp(g->reporter, PB_TRUE);
    csStatusReporterSetItemCstrInt(g->reporter, "greeterGreetings", -1, 0);
    pbTimerSchedule(g->timer, g->intervalMs);
    return &g->obj;
}

/* Returns a new store; the two flags ask for defaults and private data
 * (a greeter has neither). */
static PB_STORE* greeterConfig(PB_OBJ* context, PB_OBJ* object, PB_BOOL complete, PB_BOOL includePrivateData) {
    (void)context, (void)complete, (void)includePrivateData;
    return greeterStore((GREETER*)object);
}

/* Apply calls this for an existing greeter named again with "config". */
static void greeterSetConfig(PB_OBJ* context, PB_OBJ* object, PB_STORE* config) {
    (void)context;
    greeterApply((GREETER*)object, config);
}

/* The canonical form of a configuration: unknown keys dropped, defaults
 * written. Returns a new store. */
static PB_STORE* greeterNormalizeConfig(PB_OBJ* context, PB_STORE* config, PB_BOOL complete,
                                        PB_BOOL includePrivateData) {
    (void)context, (void)complete, (void)includePrivateData;
    PB_STORE* out = pbStoreCreate();
    PB_STRING* greeting = pbStoreValueCstr(config, "greeting", -1);
    PB_INT ms = 1000;
    if (!pbStoreValueIntCstr(config, "intervalMilliseconds", -1, &ms) || ms < 10 || ms > 3600000) ms = 1000;
    if (greeting) pbStoreSetValueCstr(&out, "greeting", -1, greeting);
    pbStoreSetValueIntCstr(&out, "intervalMilliseconds", -1, ms);
    pbObjRelease((PB_OBJ*)greeting);
    return out;
}

/* Returns a new reference to the greeter's status. */
static CS_STATUS* greeterStatus(PB_OBJ* context, PB_OBJ* object) {
    (void)context;
    return csStatusReporterStatus(((GREETER*)object)->reporter);
}

/* ---- the module's own configuration --------------------------------- */

static PB_STORE* moduleConfig(PB_OBJ* context, PB_BOOL complete, PB_BOOL includePrivateData) {
    (void)context, (void)complete, (void)includePrivateData;
    PB_STORE* store = pbStoreCreate();
    pbMonitorEnter(moduleMonitor);
    pbStoreSetValueCstr(&store, "defaultGreeting", -1, defaultGreeting);
    pbMonitorLeave(moduleMonitor);
    return store;
}

/* An empty store (the module is not named in the configuration) keeps
 * what is there. */
static void moduleSetConfig(PB_OBJ* context, PB_STORE* config) {
    (void)context;
    PB_STRING* greeting = pbStoreValueCstr(config, "defaultGreeting", -1);
    if (!greeting) return;
    pbMonitorEnter(moduleMonitor);
    pbObjRelease((PB_OBJ*)defaultGreeting);
    defaultGreeting = greeting;
    pbMonitorLeave(moduleMonitor);
}

/* ---- the module's hooks --------------------------------------------- */

static PB_BOOL greeterStartup(void) {
    moduleMonitor = pbMonitorCreate();
    defaultGreeting = pbStringCreateFromCstr("hello", -1);
    sortBackend = csSortBackendCreate(&greeter___sort_GREETER, greeterTryCreate, greeterConfig, greeterSetConfig,
                                      greeterNormalizeConfig, greeterStatus, NULL, NULL);
    moduleBackend = csModuleBackendCreate(&greeter___module, moduleConfig, moduleSetConfig, NULL, NULL, NULL);
    return PB_TRUE;
}

/* Halt and shutdown run before those of "cs" (newest module first), so
 * greeters may still be alive in the object table here: they are freed
 * when "cs" halts and empties the table, and their free function must not
 * need the module's state. */
static void greeterShutdown(void) {
    csModuleBackendRelease(moduleBackend);
    csSortBackendRelease(sortBackend);
    pbObjRelease((PB_OBJ*)defaultGreeting);
    pbObjRelease((PB_OBJ*)moduleMonitor);
}

PB_MODULE_DEFINE(greeter___module, &greeterRecord, greeterStartup, NULL, greeterShutdown, NULL);
