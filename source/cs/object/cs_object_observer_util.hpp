// Helpers shared by the object, multi and domain observer implementations.
//
// Observers change their fields under their own monitor, often while the
// object table holds its monitor as well. Dropping the last reference to an
// object there could run a free function that halts a process or takes
// another lock, so the old values of fields are handed to a ReleaseLater
// declared before the monitor guard; it releases them once the guard has
// left the monitor:
//
//     cs::ReleaseLater later;
//     pb::MonitorGuard guard( imp->intMonitor );
//     later.replace( imp->extObject, object );
//     later.keep( imp->extFixedObjects );        // then change it in place
//     pbDictDelObjKey( &imp->extFixedObjects, obj );
#pragma once

#include <vector>

#include "pb/pb_signal.h"

namespace cs {

class ReleaseLater {
public:
    ReleaseLater() = default;
    ReleaseLater(const ReleaseLater&) = delete;
    ReleaseLater& operator=(const ReleaseLater&) = delete;
    ~ReleaseLater() {
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
        held_.push_back(pbObjRetain(reinterpret_cast<PB_OBJ*>(value)));
    }

private:
    std::vector<PB_OBJ*> held_;
};

// Puts a fresh update signal in place and then asserts the old one, so a
// listener that adds itself again while it is notified hears the next
// change rather than this one.
inline void assertUpdate(PB_SIGNAL*& signal) {
    PB_SIGNAL* fired = signal;
    signal = pbSignalCreate();
    pbSignalAssert(fired);
    pbSignalRelease(fired);
}

}  // namespace cs
