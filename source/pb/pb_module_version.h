/* Module versions: "major.minor[.patch]" with non-negative parts; they order
 * by major, minor, then patch (an absent patch is 0). The string form is
 * "major.minor" when the patch is 0, else "major.minor.patch"
 * (pbModuleVersionToString, a standard operation). */
#ifndef PB_MODULE_VERSION_H
#define PB_MODULE_VERSION_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_MODULE_VERSION PB_MODULE_VERSION;

extern PB_EXPORT PB_SORT pb___sort_PB_MODULE_VERSION;
PB_STDFUNCS_DECLARE(pbModuleVersion, PB_MODULE_VERSION);

/* Preconditions: every part >= 0. */
PB_EXPORT PB_MODULE_VERSION* pbModuleVersionCreate(PB_INT major, PB_INT minor, PB_INT patch);
/* NULL when the text is not a module version. */
PB_EXPORT PB_MODULE_VERSION* pbModuleVersionTryCreateFromString(PB_STRING* text);
PB_EXPORT PB_MODULE_VERSION* pbModuleVersionTryCreateFromCstr(const char* text, PB_INT length);
PB_EXPORT PB_INT pbModuleVersionMajor(PB_MODULE_VERSION* version);
PB_EXPORT PB_INT pbModuleVersionMinor(PB_MODULE_VERSION* version);
PB_EXPORT PB_INT pbModuleVersionPatch(PB_MODULE_VERSION* version);

PB_END_DECLS

#endif
