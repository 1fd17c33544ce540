// Objects whose structs hold C++ members (locks, containers, atomics).
//
// pb___ObjCreate hands out zero-filled memory with the object header set.
// A struct with C++ members must also have its members constructed, and
// destroyed before the memory is returned:
//
//     struct PB_SIGNAL { PB_OBJ obj; std::mutex lock; ... };
//     auto* sig = pb::createObject<PB_SIGNAL>( &pb___sort_PB_SIGNAL );
//     ...
//     void signalFree( PB_OBJ* obj ) { ...; pb::destroyObject<PB_SIGNAL>( obj ); }
//
// The struct's first member is the PB_OBJ header named obj.
#pragma once

#include <new>

#include "pb/pb_obj.h"

namespace pb {

template <class T>
T* createObject(PB_SORT* sort) {
    PB_OBJ* raw = pb___ObjCreate(sizeof(T), sort);
    PB_OBJ header = *raw;
    T* object = new (raw) T();
    object->obj = header;
    return object;
}

// Runs the member destructors; called last in the sort's free function.
template <class T>
void destroyObject(PB_OBJ* obj) {
    reinterpret_cast<T*>(obj)->~T();
}

}  // namespace pb
