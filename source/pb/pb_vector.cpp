// Vectors of objects on the persistent sequence, with copy-on-write mutators.
#include "pb/pb_vector.h"

#include <new>
#include <utility>

#include "pb/pb_module.h"
#include "pb/pb_pseq.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

namespace {

using Elements = pb::PSeq<pb::Ref<PB_OBJ>>;

}  // namespace

struct PB_VECTOR {
    PB_OBJ obj;
    uint8_t room;       // elements that fit in the vector's own allocation (after it); set once
    Elements elements;  // changed only through a solely held handle (copy-on-write), else read-only
};

namespace {

PB_INT vectorCompare(PB_OBJ* a, PB_OBJ* b);
void vectorFree(PB_OBJ* obj);

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_VECTOR, &pb___module, "PB_VECTOR", vectorFree, vectorCompare, nullptr);
PB_STDFUNCS_DEFINE(pbVector, PB_VECTOR, pb___sort_PB_VECTOR)

namespace {

// A vector with room for `room` elements in its own allocation: a small
// vector is one allocation.
PB_VECTOR* create(int room = 0) {
    return pb::createWithRoom(&pb___sort_PB_VECTOR, &PB_VECTOR::elements, room);
}

PB_VECTOR* createLike(PB_VECTOR*, int room) { return create(room); }

// Gives a solely held vector that will hold n elements the room that fits them.
void fit(PB_VECTOR** vec, PB_INT n) { pb::fitRoom(vec, &PB_VECTOR::elements, n, createLike); }

void vectorFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_VECTOR);
    reinterpret_cast<PB_VECTOR*>(obj)->elements.~Elements();
}

// Element by element, then the shorter first.
PB_INT vectorCompare(PB_OBJ* a, PB_OBJ* b) {
    const Elements& ea = reinterpret_cast<PB_VECTOR*>(a)->elements;
    const Elements& eb = reinterpret_cast<PB_VECTOR*>(b)->elements;
    if (ea.sharesRootWith(eb)) return 0;
    Elements::Cursor ca(ea), cb(eb);
    for (; !ca.done() && !cb.done(); ca.next(), cb.next()) {
        if (PB_INT c = pbObjCompare((*ca).obj(), (*cb).obj())) return c;
    }
    return ca.done() ? (cb.done() ? 0 : -1) : 1;
}

}  // namespace

extern "C" PB_EXPORT PB_VECTOR* pbVectorCreate(void) { return create(); }

extern "C" PB_EXPORT PB_VECTOR* pbVectorCreateFrom(PB_VECTOR* source) {
    PB_ASSERT(source);
    return pb::copyWithRoom(source, &PB_VECTOR::elements, createLike);
}

extern "C" PB_EXPORT PB_INT pbVectorLength(PB_VECTOR* vec) {
    PB_ASSERT(vec);
    return vec->elements.size();
}

extern "C" PB_EXPORT PB_OBJ* pbVectorObjAt(PB_VECTOR* vec, PB_INT index) {
    PB_ASSERT(vec);
    PB_ASSERT(index >= 0 && index < vec->elements.size());
    return pbObjRetain(vec->elements.at(index).obj());
}

// The mutators take their reference to obj before the copy-on-write step,
// so that a vector inserted into itself is copied (no reference cycle).

extern "C" PB_EXPORT void pbVectorAppendObj(PB_VECTOR** vec, PB_OBJ* obj) {
    PB_ASSERT(obj);
    auto element = pb::retain(obj);
    PB_COW(vec, pbVectorCreateFrom);
    fit(vec, (*vec)->elements.size() + 1);
    (*vec)->elements.append(std::move(element));
}

extern "C" PB_EXPORT void pbVectorPrependObj(PB_VECTOR** vec, PB_OBJ* obj) {
    PB_ASSERT(obj);
    auto element = pb::retain(obj);
    PB_COW(vec, pbVectorCreateFrom);
    fit(vec, (*vec)->elements.size() + 1);
    (*vec)->elements.insert(0, std::move(element));
}

extern "C" PB_EXPORT void pbVectorInsertObj(PB_VECTOR** vec, PB_INT index, PB_OBJ* obj) {
    PB_ASSERT(obj);
    auto element = pb::retain(obj);
    PB_COW(vec, pbVectorCreateFrom);
    PB_ASSERT(index >= 0 && index <= (*vec)->elements.size());
    fit(vec, (*vec)->elements.size() + 1);
    (*vec)->elements.insert(index, std::move(element));
}

extern "C" PB_EXPORT void pbVectorSetObjAt(PB_VECTOR** vec, PB_INT index, PB_OBJ* obj) {
    PB_ASSERT(obj);
    auto element = pb::retain(obj);
    PB_COW(vec, pbVectorCreateFrom);
    PB_ASSERT(index >= 0 && index < (*vec)->elements.size());
    (*vec)->elements.replace(index, std::move(element));
}

extern "C" PB_EXPORT void pbVectorDelAt(PB_VECTOR** vec, PB_INT index) {
    PB_COW(vec, pbVectorCreateFrom);
    PB_ASSERT(index >= 0 && index < (*vec)->elements.size());
    (*vec)->elements.erase(index);
    fit(vec, (*vec)->elements.size());
}

extern "C" PB_EXPORT void pbVectorClear(PB_VECTOR** vec) {
    PB_COW(vec, pbVectorCreateFrom);
    (*vec)->elements.clear();
    fit(vec, 0);
}

extern "C" PB_EXPORT PB_BOOL pbVectorContainsOnly(PB_VECTOR* vec, PB_SORT* sort) {
    PB_ASSERT(vec);
    PB_ASSERT(sort);
    for (Elements::Cursor c(vec->elements); !c.done(); c.next()) {
        if (pbObjSort((*c).obj()) != sort) return PB_FALSE;
    }
    return PB_TRUE;
}

extern "C" PB_EXPORT PB_INT pbVectorIndexOfObj(PB_VECTOR* vec, PB_OBJ* obj) {
    PB_ASSERT(vec);
    PB_ASSERT(obj);
    PB_INT index = 0;
    for (Elements::Cursor c(vec->elements); !c.done(); c.next(), ++index) {
        if (pbObjCompare((*c).obj(), obj) == 0) return index;
    }
    return -1;
}
