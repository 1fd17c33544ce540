// Byte buffers with copy-on-write mutators.
#include "pb/pb_buffer.h"
#include "pb/pb_buffer.hpp"

#include <cstring>

#include "pb/pb_module.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct PB_BUFFER {
    PB_OBJ obj;
    PB_INT length;    // bytes in use; changed only while the buffer is unshared
    PB_INT capacity;  // bytes allocated
    uint8_t* bytes;   // owned; NULL when capacity is 0
};

namespace {

PB_INT bufferCompare(PB_OBJ* a, PB_OBJ* b);
void bufferFree(PB_OBJ* obj);

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_BUFFER, &pb___module, "PB_BUFFER", bufferFree, bufferCompare, nullptr);
PB_STDFUNCS_DEFINE(pbBuffer, PB_BUFFER, pb___sort_PB_BUFFER)

namespace {

PB_BUFFER* create(PB_INT capacity) {
    auto* b = reinterpret_cast<PB_BUFFER*>(pb___ObjCreate(sizeof(PB_BUFFER), &pb___sort_PB_BUFFER));
    if (capacity > 0) {
        b->bytes = static_cast<uint8_t*>(pb___MemAlloc(size_t(capacity)));
        b->capacity = capacity;
    }
    return b;
}

// Grows the allocation geometrically so that appends cost O(1) amortized.
void reserve(PB_BUFFER* b, PB_INT need) {
    if (need <= b->capacity) return;
    PB_INT cap = b->capacity < 16 ? 16 : b->capacity;
    while (cap < need) cap *= 2;
    b->bytes = static_cast<uint8_t*>(pb___MemRealloc(b->bytes, size_t(cap)));
    b->capacity = cap;
}

// Appends n bytes; they may lie inside b's own backing, which growing moves.
void appendBytes(PB_BUFFER* b, const void* bytes, PB_INT n) {
    if (n <= 0) return;
    auto* src = static_cast<const uint8_t*>(bytes);
    bool inside = b->bytes && src >= b->bytes && src < b->bytes + b->length;
    size_t offset = inside ? size_t(src - b->bytes) : 0;
    reserve(b, b->length + n);
    if (inside) src = b->bytes + offset;
    std::memmove(b->bytes + b->length, src, size_t(n));
    b->length += n;
}

PB_INT bufferCompare(PB_OBJ* a, PB_OBJ* b) {
    auto* ba = reinterpret_cast<PB_BUFFER*>(a);
    auto* bb = reinterpret_cast<PB_BUFFER*>(b);
    PB_INT n = ba->length < bb->length ? ba->length : bb->length;
    if (n > 0) {
        int c = std::memcmp(ba->bytes, bb->bytes, size_t(n));
        if (c) return c < 0 ? -1 : 1;
    }
    return ba->length < bb->length ? -1 : (ba->length > bb->length ? 1 : 0);
}

void bufferFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_BUFFER);
    auto* b = reinterpret_cast<PB_BUFFER*>(obj);
    pb___MemFree(b->bytes);
    b->bytes = nullptr;
}

}  // namespace

extern "C" PB_EXPORT PB_BUFFER* pbBufferCreate(void) { return create(0); }

extern "C" PB_EXPORT PB_BUFFER* pbBufferCreateFrom(PB_BUFFER* source) {
    PB_ASSERT(source);
    PB_BUFFER* b = create(source->length);
    appendBytes(b, source->bytes, source->length);
    return b;
}

extern "C" PB_EXPORT PB_BUFFER* pbBufferCreateFromBytes(const void* bytes, PB_INT length) {
    PB_ASSERT(length >= 0);
    PB_ASSERT(bytes || length == 0);
    PB_BUFFER* b = create(length);
    appendBytes(b, bytes, length);
    return b;
}

extern "C" PB_EXPORT PB_INT pbBufferLength(PB_BUFFER* buffer) {
    PB_ASSERT(buffer);
    return buffer->length;
}

extern "C" PB_EXPORT const uint8_t* pbBufferBacking(PB_BUFFER* buffer) {
    PB_ASSERT(buffer);
    return buffer->bytes;
}

extern "C" PB_EXPORT uint8_t pbBufferByteAt(PB_BUFFER* buffer, PB_INT index) {
    PB_ASSERT(buffer);
    PB_ASSERT(index >= 0 && index < buffer->length);
    return buffer->bytes[index];
}

extern "C" PB_EXPORT void pbBufferSetByteAt(PB_BUFFER** buffer, PB_INT index, uint8_t byte) {
    PB_COW(buffer, pbBufferCreateFrom);
    PB_ASSERT(index >= 0 && index < (*buffer)->length);
    (*buffer)->bytes[index] = byte;
}

extern "C" PB_EXPORT void pbBufferAppendBytes(PB_BUFFER** buffer, const void* bytes, PB_INT length) {
    PB_ASSERT(length >= 0);
    PB_ASSERT(bytes || length == 0);
    PB_COW(buffer, pbBufferCreateFrom);
    appendBytes(*buffer, bytes, length);
}

extern "C" PB_EXPORT void pbBufferAppendByte(PB_BUFFER** buffer, uint8_t byte) {
    PB_COW(buffer, pbBufferCreateFrom);
    appendBytes(*buffer, &byte, 1);
}

extern "C" PB_EXPORT void pbBufferAppend(PB_BUFFER** buffer, PB_BUFFER* tail) {
    PB_ASSERT(tail);
    pb::Ref<PB_BUFFER> keep = pb::retain(tail);  // tail may be *buffer itself
    PB_COW(buffer, pbBufferCreateFrom);
    appendBytes(*buffer, tail->bytes, tail->length);
}

extern "C" PB_EXPORT void pbBufferClear(PB_BUFFER** buffer) {
    PB_ASSERT(buffer);
    PB_ASSERT(*buffer);
    // A shared buffer is left to its other holders; nothing needs copying.
    if (pbObjRefCount(&(*buffer)->obj) > 1) {
        pbObjRelease(&(*buffer)->obj);
        *buffer = create(0);
        return;
    }
    (*buffer)->length = 0;
}

PB_INT pb::bufferCapacity(PB_BUFFER* buffer) {
    PB_ASSERT(buffer);
    return buffer->capacity;
}

PB_BUFFER* pb::bufferCreateAdopting(void* bytes, PB_INT length, PB_INT capacity) {
    PB_ASSERT(bytes);
    PB_ASSERT(length >= 0 && length <= capacity);
    PB_BUFFER* b = create(0);
    b->bytes = static_cast<uint8_t*>(bytes);
    b->length = length;
    b->capacity = capacity;
    return b;
}
