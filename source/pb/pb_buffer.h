/* Buffers: immutable-once-shared byte arrays.
 *
 * Create one empty (pbBufferCreate), as a copy (pbBufferCreateFrom) or from
 * bytes (pbBufferCreateFromBytes). Mutators take the address of the
 * caller's handle and copy first when another holder shares the buffer, so
 * a buffer that was handed out never changes under its holder:
 *
 *     PB_BUFFER* b = pbBufferCreateFromBytes( "abc", 3 );
 *     pbBufferAppendByte( &b, 'd' );
 *     pbBufferSetByteAt( &b, 0, 'A' );
 *     const uint8_t* bytes = pbBufferBacking( b );   (4 bytes "Abcd")
 *     pbBufferRelease( b );
 *
 * The backing pointer stays valid while the caller holds the buffer and
 * does not change it. Buffers compare byte by byte (unsigned), and a buffer
 * that is a prefix of another orders first. */
#ifndef PB_BUFFER_H
#define PB_BUFFER_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_BUFFER PB_BUFFER;

PB_STDFUNCS_DECLARE(pbBuffer, PB_BUFFER);

PB_EXPORT PB_BUFFER* pbBufferCreate(void);
PB_EXPORT PB_BUFFER* pbBufferCreateFrom(PB_BUFFER* source);
/* Precondition: length >= 0; bytes not NULL unless length is 0. */
PB_EXPORT PB_BUFFER* pbBufferCreateFromBytes(const void* bytes, PB_INT length);

PB_EXPORT PB_INT pbBufferLength(PB_BUFFER* buffer);
/* The bytes, valid while the caller holds buffer unchanged; may be NULL
 * for an empty buffer. */
PB_EXPORT const uint8_t* pbBufferBacking(PB_BUFFER* buffer);
/* The byte at index. Precondition: 0 <= index < length. */
PB_EXPORT uint8_t pbBufferByteAt(PB_BUFFER* buffer, PB_INT index);

/* Precondition: 0 <= index < length. */
PB_EXPORT void pbBufferSetByteAt(PB_BUFFER** buffer, PB_INT index, uint8_t byte);
PB_EXPORT void pbBufferAppendBytes(PB_BUFFER** buffer, const void* bytes, PB_INT length);
PB_EXPORT void pbBufferAppendByte(PB_BUFFER** buffer, uint8_t byte);
/* Appends the bytes of tail (which may be *buffer itself). */
PB_EXPORT void pbBufferAppend(PB_BUFFER** buffer, PB_BUFFER* tail);
/* Makes the buffer empty. */
PB_EXPORT void pbBufferClear(PB_BUFFER** buffer);

PB_END_DECLS

#endif
