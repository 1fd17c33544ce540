/* Times: calendar dates of the proleptic Gregorian calendar, written
 * "YYYY-MM-DD" (years 0001 to 9999). Times order by date; their string
 * form is the same "YYYY-MM-DD". */
#ifndef PB_TIME_H
#define PB_TIME_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_TIME PB_TIME;

extern PB_EXPORT PB_SORT pb___sort_PB_TIME;
PB_STDFUNCS_DECLARE(pbTime, PB_TIME);

/* Precondition: a valid date. */
PB_EXPORT PB_TIME* pbTimeCreate(PB_INT year, PB_INT month, PB_INT day);
/* NULL when text is not exactly a valid "YYYY-MM-DD" date. */
PB_EXPORT PB_TIME* pbTimeTryCreateFromString(PB_STRING* text);
PB_EXPORT PB_TIME* pbTimeTryCreateFromCstr(const char* text, PB_INT length);
PB_EXPORT PB_INT pbTimeYear(PB_TIME* time);
PB_EXPORT PB_INT pbTimeMonth(PB_TIME* time);
PB_EXPORT PB_INT pbTimeDay(PB_TIME* time);

PB_END_DECLS

#endif
