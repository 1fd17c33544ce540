/* Modules: the static descriptor that a library exports as <name>___module,
 * and the module record it points to.
 *
 * The runtime loads a module library by name (libvorlix-<name>.so), finds
 * its descriptor and calls the four hooks in order: start-up (returns
 * PB_TRUE when the module is ready), halt, shutdown, final release. Sorts
 * name the module that defines them. pbModuleName and pbModuleVersion read
 * the record. */
#ifndef PB_MODULE_H
#define PB_MODULE_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_MODULE_VERSION PB_MODULE_VERSION;

/* Fourteen pointer-sized fields, in this order. */
typedef struct PB_MODULE_RECORD {
    intptr_t number;               /* record layout number (2) */
    const char* familyPrefix;      /* product family file prefix, "vorlix" */
    const char* productName;
    intptr_t productVersionMajor;
    intptr_t productVersionMinor;
    intptr_t productVersionPatch;
    const char* buildTime;         /* "UTC 2026-08-14 08:30:04 (Friday)" */
    const char* maker;
    const char* legalNotice;
    const char* moduleName;        /* "cs" */
    const char* moduleDescription;
    const char* moduleVersion;     /* "major.minor[.patch]" */
    const char* usesModules;       /* space-separated */
    const char* relatedModules;    /* space-separated */
} PB_MODULE_RECORD;

/* The hooks of a module, called by the runtime on the thread that loads
 * the module or stops the runtime: start-up after the modules it uses,
 * the others in reverse order of loading. They run with the runtime's
 * module-loading lock held, so a hook must not load modules or stop the
 * runtime. Start-up returns PB_TRUE when the module is ready. */
typedef PB_BOOL (*PB_MODULE_STARTUP_FUNC)(void);
typedef void (*PB_MODULE_HOOK_FUNC)(void);

struct PB_MODULE {
    PB_OBJ obj;                         /* immortal header */
    const PB_MODULE_RECORD* record;
    PB_MODULE_STARTUP_FUNC startupFunc;
    PB_MODULE_HOOK_FUNC haltFunc;
    PB_MODULE_HOOK_FUNC shutdownFunc;
    PB_MODULE_HOOK_FUNC finalReleaseFunc;
};

extern PB_EXPORT PB_SORT pb___sort_PB_MODULE;
extern PB_EXPORT PB_MODULE pb___module;

/* Defines a module descriptor variable. */
#define PB_MODULE_DEFINE(var, record, startup, halt, shutdown, finalRelease) \
    PB_MODULE var = { { &pb___sort_PB_MODULE, PB___OBJ_REFS_STATIC, 0 }, (record), (startup), \
                      (halt), (shutdown), (finalRelease) }

PB_STDFUNCS_DECLARE(pbModule, PB_MODULE);

/* The module's name (record field 10) as a new string. */
PB_EXPORT PB_STRING* pbModuleName(PB_MODULE* module);
PB_EXPORT const char* pbModuleNameCstr(PB_MODULE* module);
/* The module's version (record field 12), or NULL when it does not parse. */
PB_EXPORT PB_MODULE_VERSION* pbModuleVersion(PB_MODULE* module);
PB_EXPORT const PB_MODULE_RECORD* pbModuleRecord(PB_MODULE* module);

PB_END_DECLS

#endif
