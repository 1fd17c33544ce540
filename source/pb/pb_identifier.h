/* Identifiers: random 128-bit values, unique within the process (and for
 * practical purposes everywhere). Their text form is canonical
 * 8-4-4-4-12 lower-case hex ("3f2a...-..."); parsing accepts either case.
 * Identifiers compare by their 128 bits. */
#ifndef PB_IDENTIFIER_H
#define PB_IDENTIFIER_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_IDENTIFIER PB_IDENTIFIER;

extern PB_EXPORT PB_SORT pb___sort_PB_IDENTIFIER;
PB_STDFUNCS_DECLARE(pbIdentifier, PB_IDENTIFIER);

PB_EXPORT PB_IDENTIFIER* pbIdentifierCreate(void);
/* NULL when text is not an identifier's text form. */
PB_EXPORT PB_IDENTIFIER* pbIdentifierTryCreateFromString(PB_STRING* text);
PB_EXPORT PB_IDENTIFIER* pbIdentifierTryCreateFromCstr(const char* text, PB_INT length);
/* The canonical text form (pbIdentifierToString gives the same). */
PB_EXPORT PB_STRING* pbIdentifierString(PB_IDENTIFIER* identifier);
PB_EXPORT void pbIdentifierBytes(PB_IDENTIFIER* identifier, uint8_t bytes[16]);

PB_END_DECLS

#endif
