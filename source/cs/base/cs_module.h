/* The module "cs": its descriptor for the runtime, its record and version
 * marker, its lifecycle and the process-wide options.
 *
 * The runtime loads libvorlix-cs.so, finds cs___module and calls its four
 * hooks: start-up creates the module's trace stream "cs", its status
 * reporter, lock, update signal and default options (a fresh system
 * identifier) and starts every part of the module in a fixed order; halt
 * stops the object table; shutdown and final release undo start-up in
 * reverse order.
 *
 * The options (CS_OPTIONS) are read with csModuleOptions and replaced with
 * csModuleSetOptions; every replacement asserts the module's update signal
 * (a signalable added with csModuleUpdateAddSignalable hears one change and
 * is added again to hear the next), sets the trace properties
 * "csSystemIdentifier" and "csComment" of the stream "cs" and the status
 * item "csMaintenanceModeActive". */
#ifndef CS_MODULE_H
#define CS_MODULE_H

#include "pb/pb_module.h"
#include "pb/pb_signalable.h"
#include "tr/tr_stream.h"

PB_BEGIN_DECLS

typedef struct CS_OPTIONS CS_OPTIONS;
typedef struct CS_STATUS CS_STATUS;

extern PB_EXPORT PB_MODULE cs___module;
extern PB_EXPORT const PB_MODULE_RECORD cs___module_record;
extern PB_EXPORT const char* const cs___module_version_string;

/* The module descriptor cs___module. */
PB_EXPORT PB_MODULE* csModule(void);

/* The current options, retained. */
PB_EXPORT CS_OPTIONS* csModuleOptions(void);
/* Installs opt (precondition: not NULL); the same object again changes
 * nothing, any other object (even an equal one) is a change. */
PB_EXPORT void csModuleSetOptions(CS_OPTIONS* opt);
PB_EXPORT PB_BOOL csModuleMaintenanceModeActive(void);
PB_EXPORT void csModuleUpdateAddSignalable(PB_SIGNALABLE* signalable);
PB_EXPORT void csModuleUpdateDelSignalable(PB_SIGNALABLE* signalable);
/* The status of the module's own status reporter. */
PB_EXPORT CS_STATUS* csModuleCsStatus(void);
/* The module's trace stream "cs", retained, or NULL before start-up. */
PB_EXPORT TR_STREAM* cs___ModuleTrStream(void);

PB_END_DECLS

#endif
