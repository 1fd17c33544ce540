/* The implementation object of a rate (CS___RATE_IMP): the two windows,
 * their lock, the step process with its timer, and the reporter. The public
 * object (cs_rate.h) forwards every operation to the function of the same
 * name here and halts the step process before it lets go. When freed, the
 * implementation deletes its three items from the reporter. */
#ifndef CS_RATE_IMP_H
#define CS_RATE_IMP_H

#include "cs/status/cs_status_reporter.h"
#include "pb/pb_string.h"

PB_BEGIN_DECLS

typedef struct CS___RATE_IMP CS___RATE_IMP;
typedef struct CS_RATE_LIMITS CS_RATE_LIMITS;

extern PB_EXPORT PB_SORT cs___sort_CS___RATE_IMP;
PB_STDFUNCS_DECLARE(cs___RateImp, CS___RATE_IMP);

/* Takes the first step at once, on the calling thread. Preconditions: rep
 * not NULL; pbNameCamelCaseOk( baseName, PB_TRUE ). */
PB_EXPORT CS___RATE_IMP* cs___RateImpCreate(CS_STATUS_REPORTER* rep, PB_STRING* baseName);
/* Stops the steps for good (waits for a step in progress). Precondition:
 * not halted before. */
PB_EXPORT void cs___RateImpHalt(CS___RATE_IMP* imp);

PB_EXPORT PB_STRING* cs___RateImpBaseName(CS___RATE_IMP* imp);
PB_EXPORT void cs___RateImpContribute(CS___RATE_IMP* imp, PB_INT deltaPerSecond);
PB_EXPORT PB_BOOL cs___RateImpTryContributeWithLimits(CS___RATE_IMP* imp, CS_RATE_LIMITS* lim,
                                                      PB_INT deltaPerSecond);
PB_EXPORT PB_INT cs___RateImpSecond(CS___RATE_IMP* imp);
PB_EXPORT PB_INT cs___RateImpMinute(CS___RATE_IMP* imp);
PB_EXPORT PB_INT cs___RateImpHour(CS___RATE_IMP* imp);
PB_EXPORT void cs___RateImpModifyBaseValue(CS___RATE_IMP* imp, PB_INT deltaPerSecond);
PB_EXPORT void cs___RateImpValues(CS___RATE_IMP* imp, PB_INT* secondDelayed, PB_INT* secondCurrent,
                                  PB_INT* minuteDelayed, PB_INT* minuteCurrent, PB_INT* hourDelayed,
                                  PB_INT* hourCurrent);

PB_END_DECLS

#endif
