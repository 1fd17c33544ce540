/* Rate limits (CS_RATE_LIMITS): up to six optional bounds on a rate
 * (cs_rate.h), a minimum and a maximum for each of second, minute and hour.
 *
 *   minSecond  maxSecond  minMinute  maxMinute  minHour  maxHour
 *   (integers >= 0, optional, stored under their own names)
 *
 * A minimum is compared with the delayed value (as of the rate's last
 * step), a maximum with both the delayed and the current value (which
 * includes the running second and a proposed contribution). Bounds are
 * inclusive; limits without bounds admit everything.
 *
 *     CS_RATE_LIMITS* lim = csRateLimitsCreate();
 *     csRateLimitsSetMaxSecond( &lim, 100 );
 *     if ( csRateTryContributeWithLimits( rate, lim, 1 ) ) ...  // admitted
 *
 * Limits are values: setters and deleters take the address of the caller's
 * handle and copy first when another holder shares the object. Restore
 * accepts any store: a missing key, a value that is not an integer and a
 * negative value all leave their bound unset. */
#ifndef CS_RATE_LIMITS_H
#define CS_RATE_LIMITS_H

#include "cs/rate/cs_rate.h"
#include "cs/rate/cs_rate_token.h"
#include "pb/pb_store.h"

PB_BEGIN_DECLS

typedef struct CS_RATE_LIMITS CS_RATE_LIMITS;

extern PB_EXPORT PB_SORT cs___sort_CS_RATE_LIMITS;
PB_STDFUNCS_DECLARE(csRateLimits, CS_RATE_LIMITS);

/* Limits with no bound set. */
PB_EXPORT CS_RATE_LIMITS* csRateLimitsCreate(void);
PB_EXPORT CS_RATE_LIMITS* csRateLimitsCreateFrom(CS_RATE_LIMITS* source);

/* For each bound: Has, the value (0 while unset), Set (value >= 0), Del. */
PB_EXPORT PB_BOOL csRateLimitsHasMinSecond(CS_RATE_LIMITS* lim);
PB_EXPORT PB_INT csRateLimitsMinSecond(CS_RATE_LIMITS* lim);
PB_EXPORT void csRateLimitsSetMinSecond(CS_RATE_LIMITS** lim, PB_INT value);
PB_EXPORT void csRateLimitsDelMinSecond(CS_RATE_LIMITS** lim);
PB_EXPORT PB_BOOL csRateLimitsHasMaxSecond(CS_RATE_LIMITS* lim);
PB_EXPORT PB_INT csRateLimitsMaxSecond(CS_RATE_LIMITS* lim);
PB_EXPORT void csRateLimitsSetMaxSecond(CS_RATE_LIMITS** lim, PB_INT value);
PB_EXPORT void csRateLimitsDelMaxSecond(CS_RATE_LIMITS** lim);
PB_EXPORT PB_BOOL csRateLimitsHasMinMinute(CS_RATE_LIMITS* lim);
PB_EXPORT PB_INT csRateLimitsMinMinute(CS_RATE_LIMITS* lim);
PB_EXPORT void csRateLimitsSetMinMinute(CS_RATE_LIMITS** lim, PB_INT value);
PB_EXPORT void csRateLimitsDelMinMinute(CS_RATE_LIMITS** lim);
PB_EXPORT PB_BOOL csRateLimitsHasMaxMinute(CS_RATE_LIMITS* lim);
PB_EXPORT PB_INT csRateLimitsMaxMinute(CS_RATE_LIMITS* lim);
PB_EXPORT void csRateLimitsSetMaxMinute(CS_RATE_LIMITS** lim, PB_INT value);
PB_EXPORT void csRateLimitsDelMaxMinute(CS_RATE_LIMITS** lim);
PB_EXPORT PB_BOOL csRateLimitsHasMinHour(CS_RATE_LIMITS* lim);
PB_EXPORT PB_INT csRateLimitsMinHour(CS_RATE_LIMITS* lim);
PB_EXPORT void csRateLimitsSetMinHour(CS_RATE_LIMITS** lim, PB_INT value);
PB_EXPORT void csRateLimitsDelMinHour(CS_RATE_LIMITS** lim);
PB_EXPORT PB_BOOL csRateLimitsHasMaxHour(CS_RATE_LIMITS* lim);
PB_EXPORT PB_INT csRateLimitsMaxHour(CS_RATE_LIMITS* lim);
PB_EXPORT void csRateLimitsSetMaxHour(CS_RATE_LIMITS** lim, PB_INT value);
PB_EXPORT void csRateLimitsDelMaxHour(CS_RATE_LIMITS** lim);

/* Whether the rate as it is (no proposed contribution) lies within. */
PB_EXPORT PB_BOOL csRateLimitsCheck(CS_RATE_LIMITS* lim, CS_RATE* rate);
/* The same on the token's rate, which already holds the token's amount. */
PB_EXPORT PB_BOOL csRateLimitsCheckWithToken(CS_RATE_LIMITS* lim, CS_RATE_TOKEN* tok);
/* Library-internal: the check on six given values (each >= 0). */
PB_EXPORT PB_BOOL cs___RateLimitsCheck(CS_RATE_LIMITS* lim, PB_INT secondDelayed, PB_INT secondCurrent,
                                       PB_INT minuteDelayed, PB_INT minuteCurrent, PB_INT hourDelayed,
                                       PB_INT hourCurrent);

PB_EXPORT PB_STORE* csRateLimitsStore(CS_RATE_LIMITS* lim);
PB_EXPORT CS_RATE_LIMITS* csRateLimitsRestore(PB_STORE* store);

PB_END_DECLS

#endif
