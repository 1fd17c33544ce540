/* Flagsets: the literal names of the bits of a flag word.
 *
 *     PB_FLAGSET* f = pbFlagsetCreate();
 *     pbFlagsetSetFlagCstr( &f, "CS_SCHEDULER_SCHEDULE_FLAG_FORCE", -1, 1 );
 *
 * pbFlagsetGenerate writes the names of the set flags in the order they
 * were added, separated by ", " (bits without a name are left out).
 * pbFlagsetParse reads names separated by commas, '|' or white space and
 * ORs their values; an unknown name adds nothing (parses to 0). */
#ifndef PB_FLAGSET_H
#define PB_FLAGSET_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_FLAGSET PB_FLAGSET;

extern PB_EXPORT PB_SORT pb___sort_PB_FLAGSET;
PB_STDFUNCS_DECLARE(pbFlagset, PB_FLAGSET);

PB_EXPORT PB_FLAGSET* pbFlagsetCreate(void);
PB_EXPORT PB_FLAGSET* pbFlagsetCreateFrom(PB_FLAGSET* source);
/* Preconditions: a valid upper-case name with underscores; flag != 0. */
PB_EXPORT void pbFlagsetSetFlag(PB_FLAGSET** flagset, PB_STRING* name, PB_INT flag);
PB_EXPORT void pbFlagsetSetFlagCstr(PB_FLAGSET** flagset, const char* name, PB_INT length, PB_INT flag);
PB_EXPORT PB_BOOL pbFlagsetHasFlag(PB_FLAGSET* flagset, PB_STRING* name);
PB_EXPORT PB_BOOL pbFlagsetHasFlagCstr(PB_FLAGSET* flagset, const char* name, PB_INT length);
PB_EXPORT PB_STRING* pbFlagsetGenerate(PB_FLAGSET* flagset, PB_INT flags);
PB_EXPORT PB_INT pbFlagsetParse(PB_FLAGSET* flagset, PB_STRING* text);
PB_EXPORT PB_INT pbFlagsetParseCstr(PB_FLAGSET* flagset, const char* text, PB_INT length);

PB_END_DECLS

#endif
