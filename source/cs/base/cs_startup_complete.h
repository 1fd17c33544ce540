/* Start-up complete: a signal asserted ten seconds (10,000 ms of the
 * runtime clock) after the module started, and asserted from then on. */
#ifndef CS_STARTUP_COMPLETE_H
#define CS_STARTUP_COMPLETE_H

#include "pb/pb_signalable.h"

PB_BEGIN_DECLS

#define CS_STARTUP_COMPLETE_DELAY_MS 10000

PB_EXPORT void cs___StartupCompleteStartup(void);
PB_EXPORT void cs___StartupCompleteShutdown(void);

PB_EXPORT PB_BOOL csStartupComplete(void);
PB_EXPORT void csStartupCompleteAddSignalable(PB_SIGNALABLE* signalable);
PB_EXPORT void csStartupCompleteDelSignalable(PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
