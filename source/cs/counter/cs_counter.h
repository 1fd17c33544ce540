/* Counters (CS_COUNTER): a named signed 64-bit value that its owner raises
 * and lowers, for instance the number of things in use.
 *
 * Every change is written at once as an INT status item under the
 * counter's name through the counter's status reporter, and asserts the
 * counter's update signal. The value may go below zero; only overflow of
 * the 64-bit value is an error. The item exists from creation until the
 * counter is freed.
 *
 *     CS_COUNTER* cnt = csCounterCreateCstr( rep, "fooSessions", -1 );  // item 0
 *     csCounterModifyValue( cnt, 1 );                                    // item 1
 *     csCounterUpdateAddSignalable( cnt, signalable );  // hears the next change
 *     csCounterModifyValue( cnt, 0 );                   // no item update, no signal
 *     csCounterRelease( cnt );                          // the item goes away
 *
 * A change of one counter held for a while is best made with a counter
 * token (cs_counter_token.h). Every function may be called from any thread;
 * a signalable is notified on the thread that made the change, while the
 * counter's lock is held (it may read the counter and add itself again). */
#ifndef CS_COUNTER_H
#define CS_COUNTER_H

#include "cs/status/cs_status_reporter.h"
#include "pb/pb_signalable.h"
#include "pb/pb_string.h"

PB_BEGIN_DECLS

typedef struct CS_COUNTER CS_COUNTER;

extern PB_EXPORT PB_SORT cs___sort_CS_COUNTER;
PB_STDFUNCS_DECLARE(csCounter, CS_COUNTER);

/* A counter of value 0 reporting into rep under name. Preconditions: rep
 * not NULL; pbNameCamelCaseOk( name, PB_TRUE ). */
PB_EXPORT CS_COUNTER* csCounterCreate(CS_STATUS_REPORTER* rep, PB_STRING* name);
PB_EXPORT CS_COUNTER* csCounterCreateCstr(CS_STATUS_REPORTER* rep, const char* name, PB_INT length);
PB_EXPORT CS_COUNTER* csCounterCreateWcstr(CS_STATUS_REPORTER* rep, const wchar_t* name, PB_INT length);

PB_EXPORT PB_STRING* csCounterName(CS_COUNTER* cnt);
PB_EXPORT PB_INT csCounterValue(CS_COUNTER* cnt);
/* Adds delta (either sign). Precondition: the sum does not overflow. */
PB_EXPORT void csCounterModifyValue(CS_COUNTER* cnt, PB_INT delta);

/* A signalable added here is notified once, at the next change. */
PB_EXPORT void csCounterUpdateAddSignalable(CS_COUNTER* cnt, PB_SIGNALABLE* signalable);
PB_EXPORT void csCounterUpdateDelSignalable(CS_COUNTER* cnt, PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
