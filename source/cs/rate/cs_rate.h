/* Rates (CS_RATE): how much arrived in the last second, minute and hour.
 *
 * A rate sums non-negative contributions in two sliding windows of sixty
 * slots, one of seconds and one of minutes, and advances them in steps of
 * exactly 1000 ms of the runtime clock, counted from its creation (creation
 * + k * 1000 ms). After every step it writes three INT status items through
 * its reporter, "<baseName>Second", "<baseName>Minute" and "<baseName>Hour":
 * the totals of the last completed second, of the last sixty completed
 * seconds, and of the running minute with the 59 completed minutes before
 * it. A step that runs late takes every step it missed, one at a time, so
 * the windows end as if it had run on time.
 *
 *     CS_RATE* rate = csRateCreateCstr( rep, "fooRequests", -1 );
 *     csRateContribute( rate, 1 );                    // one more request
 *     if ( csRateTryContributeWithLimits( rate, lim, 1 ) ) ... // admitted
 *     PB_INT perMinute = csRateMinute( rate );        // as of the last step
 *     csRateRelease( rate );                          // the items go away
 *
 * A standing contribution per second (the base value) is held by rate
 * tokens (cs_rate_token.h); it enters every new second slot and every new
 * minute slot once, so a base value b gives b per second, 60 * b per minute
 * and 60 * b per hour.
 *
 * Every function may be called from any thread; the steps run in the rate's
 * own process. Reads and contributions take constant time. */
#ifndef CS_RATE_H
#define CS_RATE_H

#include "cs/status/cs_status_reporter.h"
#include "pb/pb_string.h"

PB_BEGIN_DECLS

typedef struct CS_RATE CS_RATE;
typedef struct CS_RATE_LIMITS CS_RATE_LIMITS;

extern PB_EXPORT PB_SORT cs___sort_CS_RATE;
PB_STDFUNCS_DECLARE(csRate, CS_RATE);

/* A rate with empty windows; its items appear at once with value 0.
 * Preconditions: rep not NULL; pbNameCamelCaseOk( baseName, PB_TRUE ). */
PB_EXPORT CS_RATE* csRateCreate(CS_STATUS_REPORTER* rep, PB_STRING* baseName);
PB_EXPORT CS_RATE* csRateCreateCstr(CS_STATUS_REPORTER* rep, const char* baseName, PB_INT length);
PB_EXPORT CS_RATE* csRateCreateWcstr(CS_STATUS_REPORTER* rep, const wchar_t* baseName, PB_INT length);

PB_EXPORT PB_STRING* csRateBaseName(CS_RATE* rate);

/* Adds deltaPerSecond (>= 0) to the running second and minute. */
PB_EXPORT void csRateContribute(CS_RATE* rate, PB_INT deltaPerSecond);
/* Adds deltaPerSecond (>= 0) only if lim admits the rate with it (see
 * cs_rate_limits.h); the check and the addition are one step, so two
 * callers never both pass a bound that only one of them fits. */
PB_EXPORT PB_BOOL csRateTryContributeWithLimits(CS_RATE* rate, CS_RATE_LIMITS* lim, PB_INT deltaPerSecond);

/* The totals as of the last step (the values of the three items). */
PB_EXPORT PB_INT csRateSecond(CS_RATE* rate);
PB_EXPORT PB_INT csRateMinute(CS_RATE* rate);
PB_EXPORT PB_INT csRateHour(CS_RATE* rate);

/* Library-internal. Changes the base value by deltaPerSecond (either
 * sign); the change counts at once in the running second and minute.
 * Precondition: the base value does not go below 0. */
PB_EXPORT void cs___RateModifyBaseValue(CS_RATE* rate, PB_INT deltaPerSecond);
/* Library-internal. The delayed values (as of the last step) and the
 * current ones (including the running second); any pointer may be NULL. */
PB_EXPORT void cs___RateValues(CS_RATE* rate, PB_INT* secondDelayed, PB_INT* secondCurrent, PB_INT* minuteDelayed,
                               PB_INT* minuteCurrent, PB_INT* hourDelayed, PB_INT* hourCurrent);

PB_END_DECLS

#endif
