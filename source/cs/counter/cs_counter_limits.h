/* Counter limits (CS_COUNTER_LIMITS): an optional minimum and maximum that
 * tell whether a counter's value lies within them (both inclusive).
 *
 *   minValue   integer, optional   "minValue"
 *   maxValue   integer, optional   "maxValue"
 *
 * Limits are values: setters and deleters take the address of the caller's
 * handle and copy first when another holder shares the object. An unset
 * bound reads as 0; bounds may be negative.
 *
 *     CS_COUNTER_LIMITS* lim = csCounterLimitsCreate();
 *     csCounterLimitsSetMaxValue( &lim, 10 );
 *     if ( !csCounterLimitsCheck( lim, cnt ) ) ...   // value above 10
 *     PB_STORE* store = csCounterLimitsStore( lim ); // { "maxValue": 10 }
 *
 * Restore accepts any store: a missing key or a value that is not an
 * integer leaves its bound unset. */
#ifndef CS_COUNTER_LIMITS_H
#define CS_COUNTER_LIMITS_H

#include "cs/counter/cs_counter.h"
#include "cs/counter/cs_counter_token.h"
#include "pb/pb_store.h"

PB_BEGIN_DECLS

typedef struct CS_COUNTER_LIMITS CS_COUNTER_LIMITS;

extern PB_EXPORT PB_SORT cs___sort_CS_COUNTER_LIMITS;
PB_STDFUNCS_DECLARE(csCounterLimits, CS_COUNTER_LIMITS);

/* Limits with no bound set. */
PB_EXPORT CS_COUNTER_LIMITS* csCounterLimitsCreate(void);
PB_EXPORT CS_COUNTER_LIMITS* csCounterLimitsCreateFrom(CS_COUNTER_LIMITS* source);

PB_EXPORT PB_BOOL csCounterLimitsHasMinValue(CS_COUNTER_LIMITS* lim);
PB_EXPORT PB_INT csCounterLimitsMinValue(CS_COUNTER_LIMITS* lim);
PB_EXPORT void csCounterLimitsSetMinValue(CS_COUNTER_LIMITS** lim, PB_INT value);
PB_EXPORT void csCounterLimitsDelMinValue(CS_COUNTER_LIMITS** lim);
PB_EXPORT PB_BOOL csCounterLimitsHasMaxValue(CS_COUNTER_LIMITS* lim);
PB_EXPORT PB_INT csCounterLimitsMaxValue(CS_COUNTER_LIMITS* lim);
PB_EXPORT void csCounterLimitsSetMaxValue(CS_COUNTER_LIMITS** lim, PB_INT value);
PB_EXPORT void csCounterLimitsDelMaxValue(CS_COUNTER_LIMITS** lim);

/* Whether the counter's value lies within the limits. */
PB_EXPORT PB_BOOL csCounterLimitsCheck(CS_COUNTER_LIMITS* lim, CS_COUNTER* cnt);
/* The same on the token's counter, whose value already holds the token's
 * delta. */
PB_EXPORT PB_BOOL csCounterLimitsCheckWithToken(CS_COUNTER_LIMITS* lim, CS_COUNTER_TOKEN* tok);

PB_EXPORT PB_STORE* csCounterLimitsStore(CS_COUNTER_LIMITS* lim);
PB_EXPORT CS_COUNTER_LIMITS* csCounterLimitsRestore(PB_STORE* store);

PB_END_DECLS

#endif
