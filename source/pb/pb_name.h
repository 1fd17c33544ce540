/* Name rules of the runtime, 1 to 256 characters each:
 *   camel case   letters and digits, starting with a letter; with
 *                lowerFirst the first letter is lower case
 *                ("csConditionValue"), otherwise upper case ("CsValue").
 *   upper case   upper-case letters and digits, starting with a letter;
 *                with allowUnderscores also '_' ("CS_CONDITION").
 *   module name  lower-case letters and digits, starting with a letter
 *                ("cs", "rfc"), at most 64 characters.
 * Letters and digits here are ASCII. */
#ifndef PB_NAME_H
#define PB_NAME_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

PB_EXPORT PB_BOOL pbNameCamelCaseOk(PB_STRING* name, PB_BOOL lowerFirst);
PB_EXPORT PB_BOOL pbNameCamelCaseOkCstr(const char* name, PB_INT length, PB_BOOL lowerFirst);
PB_EXPORT PB_BOOL pbNameUpperCaseOk(PB_STRING* name, PB_BOOL allowUnderscores);
PB_EXPORT PB_BOOL pbNameUpperCaseOkCstr(const char* name, PB_INT length, PB_BOOL allowUnderscores);
PB_EXPORT PB_BOOL pbModuleNameOk(PB_STRING* name);
PB_EXPORT PB_BOOL pbModuleNameOkCstr(const char* name, PB_INT length);

PB_END_DECLS

#endif
