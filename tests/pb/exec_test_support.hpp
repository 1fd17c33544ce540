// Helpers for the tests of signals, processes and timers: counting
// callbacks, processes over test state, and a bounded wait for threaded
// tests (a generous timeout on a condition instead of a sleep).
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"

namespace vtest {

// A callback for signalables, alertables and timers that counts into an int.
inline void countInto(void* context) { ++*static_cast<int*>(context); }

// A process over test state, which the runtime passes back untouched.
template <class T>
pb::Ref<PB_PROCESS> processOver(T* state, void (*func)(PB_OBJ* object), const char* name = "test") {
    return pb::adopt(pb___ProcessCreate(0, func, reinterpret_cast<PB_OBJ*>(state), name));
}

template <class T>
T* stateOf(PB_OBJ* object) {
    return reinterpret_cast<T*>(object);
}

// A count that threads raise and tests wait on.
class Counter {
public:
    void add() {
        std::lock_guard<std::mutex> guard(lock_);
        ++value_;
        changed_.notify_all();
    }
    int value() {
        std::lock_guard<std::mutex> guard(lock_);
        return value_;
    }
    // True when the count reached target within the limit.
    bool waitFor(int target, std::chrono::seconds limit = std::chrono::seconds(60)) {
        std::unique_lock<std::mutex> lock(lock_);
        return changed_.wait_for(lock, limit, [&] { return value_ >= target; });
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    int value_ = 0;
};

}  // namespace vtest
