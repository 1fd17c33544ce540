/* Rate tokens (CS_RATE_TOKEN): a standing contribution per second to one
 * rate, held for the token's life. While the token lives its amount is
 * part of the rate's base value, so every second slot and every minute
 * slot of the rate starts with it; releasing the token's last reference
 * takes the amount back out.
 *
 *     CS_RATE_TOKEN* tok = csRateTokenCreate( rate );  // amount 0
 *     csRateTokenSetDeltaPerSecond( tok, 3 );          // base value + 3
 *     csRateTokenSetDeltaPerSecond( tok, 1 );          // base value - 2
 *     csRateTokenRelease( tok );                       // base value - 1
 */
#ifndef CS_RATE_TOKEN_H
#define CS_RATE_TOKEN_H

#include "cs/rate/cs_rate.h"

PB_BEGIN_DECLS

typedef struct CS_RATE_TOKEN CS_RATE_TOKEN;

extern PB_EXPORT PB_SORT cs___sort_CS_RATE_TOKEN;
PB_STDFUNCS_DECLARE(csRateToken, CS_RATE_TOKEN);

/* A token of amount 0; the rate is not changed. */
PB_EXPORT CS_RATE_TOKEN* csRateTokenCreate(CS_RATE* rate);
PB_EXPORT CS_RATE* csRateTokenRate(CS_RATE_TOKEN* tok);
PB_EXPORT PB_INT csRateTokenDeltaPerSecond(CS_RATE_TOKEN* tok);
/* Changes the amount (>= 0); the difference counts at once in the rate's
 * running second and minute. */
PB_EXPORT void csRateTokenSetDeltaPerSecond(CS_RATE_TOKEN* tok, PB_INT deltaPerSecond);

PB_END_DECLS

#endif
