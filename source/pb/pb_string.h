/* Strings: immutable-once-shared sequences of Unicode code points.
 *
 * Create one from UTF-8 (pbStringCreateFromCstr; an invalid byte becomes
 * U+FFFD), from wchar_t (pbStringCreateFromWcstr) or by formatting. A length
 * of -1 means "up to the terminating NUL". Mutators take the address of the
 * caller's handle and copy first when another holder shares the string, so
 * a string that was handed out never changes under its holder:
 *
 *     PB_STRING* s = pbStringCreateFromCstr( "abc", -1 );
 *     pbStringAppendCstr( &s, "def", -1 );
 *     pbStringSetCharAt( &s, 0, 'A' );
 *     pbStringRelease( s );
 *
 * Formatting is printf-like over runtime values:
 *     %s   a PB_STRING*              %lc  a NUL-ended UTF-8 char*
 *     %i   a PB_INT (also %d)        %x   a PB_INT in lower-case hex
 *     %o   an object's string form ("<null>" for NULL)
 *     %~o  an object's string form (empty for NULL)
 *     %c   a PB_CHAR                 %p   a pointer      %%  a '%'
 * An optional '-' (left-justify), '0' (zero-pad, numbers) and a decimal
 * width may stand between '%' and the conversion. An unknown conversion is
 * copied as it stands.
 *
 * Strings compare by code point (the sort's compare function). */
#ifndef PB_STRING_H
#define PB_STRING_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

extern PB_EXPORT PB_SORT pb___sort_PB_STRING;
PB_STDFUNCS_DECLARE(pbString, PB_STRING);

/* For the runtime's libraries: an immortal string with the text (UTF-8;
 * length -1: up to the NUL), the same one for the same text, so that keys
 * used over and over cost one string for the process. Retaining and
 * releasing it are no-ops. NULL once the process holds
 * PB___STRING_INTERN_MAX of them; callers then make a string of their own. */
#define PB___STRING_INTERN_MAX 4096
PB_EXPORT PB_STRING* pb___StringInternCstr(const char* text, PB_INT length);

PB_EXPORT PB_STRING* pbStringCreate(void);
PB_EXPORT PB_STRING* pbStringCreateFrom(PB_STRING* source);
PB_EXPORT PB_STRING* pbStringCreateFromCstr(const char* text, PB_INT length);
PB_EXPORT PB_STRING* pbStringCreateFromWcstr(const wchar_t* text, PB_INT length);
PB_EXPORT PB_STRING* pbStringCreateFromChars(const PB_CHAR* chars, PB_INT length);

PB_EXPORT PB_STRING* pbStringCreateFromFormat(PB_STRING* format, ...);
PB_EXPORT PB_STRING* pbStringCreateFromFormatArgList(PB_STRING* format, va_list args);
PB_EXPORT PB_STRING* pbStringCreateFromFormatCstr(const char* format, PB_INT length, ...);
PB_EXPORT PB_STRING* pbStringCreateFromFormatCstrArgList(const char* format, PB_INT length, va_list args);
PB_EXPORT PB_STRING* pbStringCreateFromFormatWcstr(const wchar_t* format, PB_INT length, ...);
PB_EXPORT PB_STRING* pbStringCreateFromFormatWcstrArgList(const wchar_t* format, PB_INT length,
                                                          va_list args);

PB_EXPORT PB_INT pbStringLength(PB_STRING* str);
/* The code point at index. Precondition: 0 <= index < length. */
PB_EXPORT PB_CHAR pbStringCharAt(PB_STRING* str, PB_INT index);
/* The code points, valid while the caller holds str unchanged. */
PB_EXPORT const PB_CHAR* pbStringBacking(PB_STRING* str);

PB_EXPORT void pbStringSetCharAt(PB_STRING** str, PB_INT index, PB_CHAR ch);
PB_EXPORT void pbStringAppend(PB_STRING** str, PB_STRING* tail);
PB_EXPORT void pbStringAppendCstr(PB_STRING** str, const char* text, PB_INT length);
PB_EXPORT void pbStringAppendChar(PB_STRING** str, PB_CHAR ch);
/* Keeps length code points from offset (clamped to the string). */
PB_EXPORT void pbStringTrim(PB_STRING** str, PB_INT offset, PB_INT length);
/* Maps ASCII and Latin-1 letters to upper case, in place (copy-on-write). */
PB_EXPORT void pbStringToUpper(PB_STRING** str);
PB_EXPORT void pbStringToLower(PB_STRING** str);

PB_EXPORT PB_BOOL pbStringEqualsCstr(PB_STRING* str, const char* text, PB_INT length);
/* Index of the first occurrence of ch at or after offset, or -1. */
PB_EXPORT PB_INT pbStringFindChar(PB_STRING* str, PB_INT offset, PB_CHAR ch);

/* UTF-8 of the string in fresh memory (free with pb___MemFree), NUL-ended;
 * *length (if not NULL) receives the byte count without the NUL. */
PB_EXPORT char* pbStringConvertToCstr(PB_STRING* str, PB_INT* length);

/* Scans a boolean at offset within the first length code points (-1: all):
 * "true", "false", "yes", "no", "on", "off", "1", "0". Flags: bit 0
 * (PB_STRING_SCAN_BOOL_IGNORE_CASE) accepts any letter case. On success
 * *value and *consumed (code points read) are set and PB_TRUE returned. */
#define PB_STRING_SCAN_BOOL_IGNORE_CASE 1
PB_EXPORT PB_BOOL pbStringScanBool(PB_STRING* str, PB_INT offset, PB_INT length, PB_INT flags,
                                   PB_BOOL* value, PB_INT* consumed);
/* Scans a signed integer at offset: an optional sign, then digits of base
 * (2..36); base -1 accepts a "0x" prefix for hex, decimal otherwise. Fails
 * on no digits or overflow. */
PB_EXPORT PB_BOOL pbStringScanInt(PB_STRING* str, PB_INT offset, PB_INT length, PB_INT base,
                                  PB_INT* value, PB_INT* consumed);

PB_END_DECLS

#endif
