// The standard operations of a class, written once and generated per class.
//
// PB_STDFUNCS_DEFINE( pbString, PB_STRING, pb___sort_PB_STRING ) defines the
// eight functions that PB_STDFUNCS_DECLARE declares. Every check names its
// context label ("stdfunc from", ...) and states its expression as the
// documentation quotes it, for example
//     !obj || pbObjSort(obj)==&cs___sort_CS_OPTIONS
//
// PB_COW( x, createFrom ) is the copy-on-write step of every setter of a
// value class: it checks x and *x (by their names as written at the call)
// and replaces *x by a private copy when another holder shares it.
#pragma once

#include "pb/pb_obj.h"

#define PB_STDFUNCS_DEFINE(p, TYPE, SORT) \
    extern "C" PB_EXPORT PB_SORT* p##Sort(void) { return &SORT; } \
    extern "C" PB_EXPORT PB_OBJ* p##Obj(TYPE* obj) { return reinterpret_cast<PB_OBJ*>(obj); } \
    extern "C" PB_EXPORT TYPE* p##From(PB_OBJ* obj) { \
        PB_ASSERT_CTX("stdfunc from", !obj || pbObjSort(obj)==&SORT); \
        return reinterpret_cast<TYPE*>(obj); \
    } \
    extern "C" PB_EXPORT TYPE* p##Retain(TYPE* obj) { \
        PB_ASSERT_CTX("stdfunc retain", obj); \
        pbObjRetain(reinterpret_cast<PB_OBJ*>(obj)); \
        return obj; \
    } \
    extern "C" PB_EXPORT void p##Release(TYPE* obj) { \
        PB_ASSERT_CTX("stdfunc release", obj); \
        pbObjRelease(reinterpret_cast<PB_OBJ*>(obj)); \
    } \
    extern "C" PB_EXPORT PB_INT p##Compare(TYPE* objA, TYPE* objB) { \
        PB_ASSERT_CTX("stdfunc compare a", objA); \
        PB_ASSERT_CTX("stdfunc compare b", objB); \
        return pbObjCompare(reinterpret_cast<PB_OBJ*>(objA), reinterpret_cast<PB_OBJ*>(objB)); \
    } \
    extern "C" PB_EXPORT PB_BOOL p##Equals(TYPE* objA, TYPE* objB) { \
        return pbObjCompare(reinterpret_cast<PB_OBJ*>(objA), reinterpret_cast<PB_OBJ*>(objB)) == 0; \
    } \
    extern "C" PB_EXPORT PB_STRING* p##ToString(TYPE* obj) { \
        PB_ASSERT_CTX("stdfunc tostring", obj); \
        return pbObjToString(reinterpret_cast<PB_OBJ*>(obj)); \
    }

// The sort test of a free or compare function, with the same label.
#define PB_SORT_CHECK(obj, SORT) PB_ASSERT_CTX("stdfunc from", !obj || pbObjSort(obj)==&SORT)

#define PB_COW(x, createFrom) \
    do { \
        PB_ASSERT(x); \
        PB_ASSERT(*x); \
        ::pb::cowStep((x), (createFrom)); \
    } while (0)

namespace pb {

// Replaces *x by a copy made with createFrom when *x is shared.
template <class T>
inline void cowStep(T** x, T* (*createFrom)(T*)) {
    if (pbObjRefCount(reinterpret_cast<PB_OBJ*>(*x)) > 1) {
        T* copy = createFrom(*x);
        pbObjRelease(reinterpret_cast<PB_OBJ*>(*x));
        *x = copy;
    }
}

// Replaces an object field: retains the new value, releases the old one.
template <class T>
inline void setField(T*& field, T* value) {
    if (value) pbObjRetain(reinterpret_cast<PB_OBJ*>(value));
    T* old = field;
    field = value;
    if (old) pbObjRelease(reinterpret_cast<PB_OBJ*>(old));
}

// Releases an object field in a free function and poisons it.
template <class T>
inline void releaseField(T*& field) {
    if (field) pbObjRelease(reinterpret_cast<PB_OBJ*>(field));
    field = reinterpret_cast<T*>(~uintptr_t(0));
}

}  // namespace pb
