// cs::ReleaseLater: references kept until the locks around them are left.
//
// The tables, the configuration and the observer implementations change
// their fields under monitors, often nested (the configuration's, then the
// object table's, then an observer's). Dropping the last reference to an
// object there would run its free function under those locks, and a free
// function may halt a process whose run waits for one of them. So the old
// values are handed to a ReleaseLater declared before the monitor guard; it
// releases them once the guard has left the monitor:
//
//     cs::ReleaseLater later;
//     pb::MonitorGuard guard( imp->intMonitor );
//     later.replace( imp->extObject, object );
//     later.keep( imp->extFixedObjects );        // then change it in place
//     pbDictDelObjKey( &imp->extFixedObjects, obj );
//
// Holders nest per thread: one that ends while an older holder of the same
// thread is still alive hands its references to that older one instead of
// releasing them, so what an observer drops while the table tells it of a
// change, or what the table drops while the configuration applies, is
// released only after the outermost lock is left. Holders live on the
// stack, so they end in the reverse order of their creation.
#pragma once

#include <utility>
#include <vector>

#include "pb/pb_obj.h"
#include "pb/pb_ref.hpp"

namespace cs {

class ReleaseLater {
public:
    ReleaseLater() : outer_(std::exchange(current_, this)) {}
    ReleaseLater(const ReleaseLater&) = delete;
    ReleaseLater& operator=(const ReleaseLater&) = delete;
    ~ReleaseLater() {
        current_ = outer_;
        if (outer_) {
            outer_->held_.insert(outer_->held_.end(), held_.begin(), held_.end());
            return;
        }
        // A free function run from here may make holders of its own; they
        // see no older holder and release at once.
        for (PB_OBJ* obj : held_) pbObjRelease(obj);
    }

    // Retains value (which may be NULL) into field and keeps the reference
    // the field held until this holder goes away.
    template <class T>
    void replace(T*& field, T* value) {
        if (value) pbObjRetain(reinterpret_cast<PB_OBJ*>(value));
        if (field) held_.push_back(reinterpret_cast<PB_OBJ*>(field));
        field = value;
    }

    template <class T>
    void clear(T*& field) {
        replace(field, static_cast<T*>(nullptr));
    }

    // Holds one more reference to a value that is about to be changed in
    // place, so that the change copies it and whatever the change drops
    // stays alive in the old value until this holder goes away.
    template <class T>
    void keep(T* value) {
        if (value) held_.push_back(pbObjRetain(reinterpret_cast<PB_OBJ*>(value)));
    }

    // Takes over the reference of ref (which may be empty).
    template <class T>
    void take(pb::Ref<T>&& ref) {
        if (T* value = ref.leak()) held_.push_back(reinterpret_cast<PB_OBJ*>(value));
    }

private:
    ReleaseLater* outer_;          // the older holder of this thread, or NULL
    std::vector<PB_OBJ*> held_;    // references released (or handed on) at the end
    static inline thread_local ReleaseLater* current_ = nullptr;  // the newest holder of this thread
};

}  // namespace cs
