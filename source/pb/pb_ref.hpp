// pb::Ref<T>: an owning handle on a runtime object.
//
// Objects are born with one reference; code that creates one adopts it:
//     auto s = pb::adopt( pbStringCreateFromCstr( "x", -1 ) );
// A borrowed pointer that must be kept is retained:
//     auto keep = pb::retain( borrowed );
// Copies retain, moves do not, destruction releases. Handing the reference
// out is explicit: ref.leak() returns the pointer and forgets it. ref.out()
// gives the address of the pointer for the runtime's copy-on-write mutators
// (pbStoreSetValueCstr( s.out(), ... )).
#pragma once

#include <cstddef>
#include <utility>

#include "pb/pb_obj.h"

namespace pb {

template <class T>
class Ref {
public:
    Ref() = default;
    Ref(std::nullptr_t) {}
    Ref(const Ref& other) : ptr_(other.ptr_) { if (ptr_) pbObjRetain(obj()); }
    Ref(Ref&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ~Ref() { reset(); }

    Ref& operator=(const Ref& other) {
        Ref copy(other);
        std::swap(ptr_, copy.ptr_);
        return *this;
    }
    Ref& operator=(Ref&& other) noexcept {
        Ref moved(std::move(other));
        std::swap(ptr_, moved.ptr_);
        return *this;
    }

    static Ref adopt(T* ptr) { Ref r; r.ptr_ = ptr; return r; }
    static Ref retain(T* ptr) {
        if (ptr) pbObjRetain(reinterpret_cast<PB_OBJ*>(ptr));
        return adopt(ptr);
    }

    T* get() const { return ptr_; }
    PB_OBJ* obj() const { return reinterpret_cast<PB_OBJ*>(ptr_); }
    T** out() { return &ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    // Hands the reference to the caller.
    [[nodiscard]] T* leak() { return std::exchange(ptr_, nullptr); }
    void reset() {
        if (T* p = std::exchange(ptr_, nullptr)) pbObjRelease(reinterpret_cast<PB_OBJ*>(p));
    }

private:
    T* ptr_ = nullptr;
};

template <class T>
Ref<T> adopt(T* ptr) { return Ref<T>::adopt(ptr); }
template <class T>
Ref<T> retain(T* ptr) { return Ref<T>::retain(ptr); }

}  // namespace pb
