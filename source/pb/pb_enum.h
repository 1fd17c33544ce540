/* Enums: the literal names of an enumeration's values, built at start-up
 * and then shared read-only.
 *
 *     PB_ENUM* e = pbEnumCreate();
 *     pbEnumSetEnumerantCstr( &e, "CS_WRAPPED_MODE_FALLBACK", -1, 0 );
 *     PB_STRING* name = pbEnumGenerate( e, 0 );   // the literal name
 *     PB_INT value = pbEnumParse( e, name );       // 0; unknown names: -1
 *
 * Enumerations use non-negative values, so -1 is outside every range. */
#ifndef PB_ENUM_H
#define PB_ENUM_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_ENUM PB_ENUM;

extern PB_EXPORT PB_SORT pb___sort_PB_ENUM;
PB_STDFUNCS_DECLARE(pbEnum, PB_ENUM);

PB_EXPORT PB_ENUM* pbEnumCreate(void);
PB_EXPORT PB_ENUM* pbEnumCreateFrom(PB_ENUM* source);
/* Adds (or re-values) an enumerant. Preconditions: a valid upper-case name
 * with underscores, value >= 0. */
PB_EXPORT void pbEnumSetEnumerant(PB_ENUM** enumeration, PB_STRING* name, PB_INT value);
PB_EXPORT void pbEnumSetEnumerantCstr(PB_ENUM** enumeration, const char* name, PB_INT length, PB_INT value);
/* The literal name of value, or NULL when no enumerant has it. */
PB_EXPORT PB_STRING* pbEnumGenerate(PB_ENUM* enumeration, PB_INT value);
/* The value of a literal name, or -1. */
PB_EXPORT PB_INT pbEnumParse(PB_ENUM* enumeration, PB_STRING* name);
PB_EXPORT PB_INT pbEnumParseCstr(PB_ENUM* enumeration, const char* name, PB_INT length);
PB_EXPORT PB_INT pbEnumLength(PB_ENUM* enumeration);

PB_END_DECLS

#endif
