/* Base encodings of bytes as text: base16, base32 and base64, each with
 * the standard alphabet and '=' padding (RFC 4648, sections 4, 6 and 8).
 *
 *     PB_STRING* text = rfcBaseEncodeToString( buffer, RFC_BASE_64 );
 *     PB_BUFFER* back = rfcBaseTryDecodeString( text, RFC_BASE_64 );
 *     if ( !back ) ... not canonical base64 ...
 *
 * Decoding is strict, so every buffer has exactly one accepted text: it
 * gives NULL for a length that is not a whole number of groups, a
 * character outside the alphabet (whitespace and line breaks included),
 * padding anywhere but at the end or in a count the encoder never writes,
 * and leftover bits in the last character that are not zero. Base16 uses
 * upper-case digits only. A selector other than the three below is a
 * precondition failure. */
#ifndef RFC_BASE_H
#define RFC_BASE_H

#include "pb/pb_buffer.h"
#include "pb/pb_string.h"

PB_BEGIN_DECLS

#define RFC_BASE_16 1
#define RFC_BASE_32 2
#define RFC_BASE_64 3
#define RFC_BASE_SELECTOR_OK(selector) ((selector) >= RFC_BASE_16 && (selector) <= RFC_BASE_64)

PB_EXPORT PB_STRING* rfcBaseEncodeToString(PB_BUFFER* buffer, PB_INT selector);
/* The decoded bytes, or NULL when text is not the canonical encoding of
 * any buffer under selector. */
PB_EXPORT PB_BUFFER* rfcBaseTryDecodeString(PB_STRING* text, PB_INT selector);

PB_END_DECLS

#endif
