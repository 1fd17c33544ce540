/* The implementation object of a counter (CS___COUNTER_IMP).
 *
 * It holds the value, its lock, the update signal and the reporter; the
 * public object (cs_counter.h) forwards every operation to the function of
 * the same name here. When freed, it deletes its item from the reporter. */
#ifndef CS_COUNTER_IMP_H
#define CS_COUNTER_IMP_H

#include "cs/status/cs_status_reporter.h"
#include "pb/pb_signalable.h"
#include "pb/pb_string.h"

PB_BEGIN_DECLS

typedef struct CS___COUNTER_IMP CS___COUNTER_IMP;

extern PB_EXPORT PB_SORT cs___sort_CS___COUNTER_IMP;
PB_STDFUNCS_DECLARE(cs___CounterImp, CS___COUNTER_IMP);

/* Preconditions: rep not NULL; pbNameCamelCaseOk( name, PB_TRUE ). */
PB_EXPORT CS___COUNTER_IMP* cs___CounterImpCreate(CS_STATUS_REPORTER* rep, PB_STRING* name);
/* Called by the public object's free function; a counter has no activity
 * of its own to stop, so this only checks its argument. */
PB_EXPORT void cs___CounterImpHalt(CS___COUNTER_IMP* imp);

PB_EXPORT PB_STRING* cs___CounterImpName(CS___COUNTER_IMP* imp);
PB_EXPORT PB_INT cs___CounterImpValue(CS___COUNTER_IMP* imp);
PB_EXPORT void cs___CounterImpModifyValue(CS___COUNTER_IMP* imp, PB_INT delta);
PB_EXPORT void cs___CounterImpUpdateAddSignalable(CS___COUNTER_IMP* imp, PB_SIGNALABLE* signalable);
PB_EXPORT void cs___CounterImpUpdateDelSignalable(CS___COUNTER_IMP* imp, PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
