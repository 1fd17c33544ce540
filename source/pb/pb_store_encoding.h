/* The byte form of stores: UTF-8 JSON, readable and editable with ordinary
 * tools, deterministic (the same store gives the same bytes).
 *
 * A store without a header encodes as its JSON object (or array). A store
 * with a header encodes as
 *     {"vorlixStoreHeader":{"type":"CS_CONFIG"},"store":{...}}
 * and only a document of exactly that shape decodes with a header. A
 * headerless store whose first key is "vorlixStoreHeader" is written
 * inside a wrapper without a type ({"vorlixStoreHeader":{},"store":{...}}),
 * so the two forms can never be confused.
 *
 * Maps become JSON objects with keys in store order, arrays JSON arrays,
 * integers exact JSON integers, booleans JSON booleans. Decoding is strict
 * and bounded: null, fractions and exponents, integers outside 64 bits,
 * duplicate keys, keys that are not valid addresses, nesting deeper than
 * PB_STORE_ENCODING_MAX_DEPTH and input longer than
 * PB_STORE_ENCODING_MAX_BYTES give NULL. Keys out of order (a file edited
 * by hand) are accepted and put in order. No input crashes the decoder. */
#ifndef PB_STORE_ENCODING_H
#define PB_STORE_ENCODING_H

#include "pb/pb_buffer.h"
#include "pb/pb_store.h"
#include "pb/pb_store_header.h"

PB_BEGIN_DECLS

#define PB_STORE_ENCODING_MAX_DEPTH 64
#define PB_STORE_ENCODING_MAX_BYTES (256 * 1024 * 1024)

/* The encoded bytes of store, with header when header is not NULL. */
PB_EXPORT PB_BUFFER* pbStoreEncode(PB_STORE* store, PB_STORE_HEADER* header);
/* The same document on one line, without whitespace between tokens and
 * without the final newline: for log and trace lines. */
PB_EXPORT PB_BUFFER* pbStoreEncodeCompact(PB_STORE* store, PB_STORE_HEADER* header);
/* The decoded store, or NULL. *header (when header is not NULL) receives
 * the header, or NULL for a headerless document. */
PB_EXPORT PB_STORE* pbStoreTryDecode(PB_BUFFER* buffer, PB_STORE_HEADER** header);
PB_EXPORT PB_STORE* pbStoreTryDecodeBytes(const void* bytes, PB_INT length, PB_STORE_HEADER** header);
/* Why buffer does not decode: NULL when it does, else a text for people,
 * starting "line L, column C: " (both from 1, the column in code points)
 * when the fault has a place, as JSON syntax errors and values that are
 * not store values do. */
PB_EXPORT PB_STRING* pbStoreDecodeError(PB_BUFFER* buffer);

PB_END_DECLS

#endif
