/* Counter tokens (CS_COUNTER_TOKEN): one change of a counter held for the
 * token's life. Creating a token adds its delta to the counter; releasing
 * the token's last reference subtracts it again.
 *
 *     CS_COUNTER_TOKEN* tok = csCounterTokenCreate( cnt );  // counter + 1
 *     ...
 *     csCounterTokenRelease( tok );                         // counter - 1
 *
 * A token of delta 0 changes nothing and fires nothing. */
#ifndef CS_COUNTER_TOKEN_H
#define CS_COUNTER_TOKEN_H

#include "cs/counter/cs_counter.h"

PB_BEGIN_DECLS

typedef struct CS_COUNTER_TOKEN CS_COUNTER_TOKEN;

extern PB_EXPORT PB_SORT cs___sort_CS_COUNTER_TOKEN;
PB_STDFUNCS_DECLARE(csCounterToken, CS_COUNTER_TOKEN);

/* A token of delta 1. */
PB_EXPORT CS_COUNTER_TOKEN* csCounterTokenCreate(CS_COUNTER* cnt);
/* Precondition: delta can be negated (it is not PB_INT_MIN). */
PB_EXPORT CS_COUNTER_TOKEN* csCounterTokenCreateWithDelta(CS_COUNTER* cnt, PB_INT delta);

PB_EXPORT CS_COUNTER* csCounterTokenCounter(CS_COUNTER_TOKEN* tok);
PB_EXPORT PB_INT csCounterTokenDelta(CS_COUNTER_TOKEN* tok);

PB_END_DECLS

#endif
