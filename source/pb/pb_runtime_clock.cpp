// The runtime clock in its two modes, and the driver of the manual mode.
#include "pb/pb_runtime_clock.h"

#include <atomic>
#include <chrono>
#include <mutex>

#include "pb/pb_runtime_clock.hpp"
#include "pb/pb_timer.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

const SteadyClock::time_point clockStart = SteadyClock::now();

// Monotonic milliseconds since the library was loaded.
PB_INT steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - clockStart).count();
}

struct ClockState {
    std::mutex modeLock;                  // serialises mode changes and shutdown
    std::atomic<bool> manual{false};      // written under modeLock
    std::atomic<PB_INT> manualNow{0};     // the virtual clock; moved by the one driving thread
    std::atomic<PB_INT> threadedOffset{0};// added to steadyMs(); written under modeLock
    std::atomic<bool> driving{false};     // a thread is inside pbRuntimeManualAdvance
};

ClockState state;

thread_local bool onExecutorThread = false;

// The manual mode's main loop: alternately drains the run queue and fires
// the next timer due by target, stepping the clock to each timer's due
// time, until nothing due by target is left; then sets the clock to target.
void drive(PB_INT target) {
    for (;;) {
        while (pb::processRunNext()) {
        }
        PB_INT due = 0;
        PB_TIMER* timer = pb::timerTakeDue(target, &due);
        if (!timer) break;
        if (due > state.manualNow.load()) state.manualNow.store(due);
        pb::timerFire(timer);
        pbTimerRelease(timer);
    }
    state.manualNow.store(target);
}

// Stops the threads of the threaded mode; the caller holds modeLock.
void stopThreads() {
    PB_ASSERT_CTX("executor", !onExecutorThread);
    pb::processWorkersStop();
    pb::timerThreadStop();
}

}  // namespace

namespace pb {

PB_INT clockNow() {
    if (state.manual.load(std::memory_order_acquire)) return state.manualNow.load();
    return steadyMs() + state.threadedOffset.load(std::memory_order_relaxed);
}

bool clockManual() { return state.manual.load(std::memory_order_acquire); }

void clockMarkExecutorThread() { onExecutorThread = true; }

}  // namespace pb

extern "C" PB_EXPORT void pbRuntimeSetManualClock(PB_BOOL manual) {
    std::lock_guard<std::mutex> guard(state.modeLock);
    PB_ASSERT_CTX("clock mode", !state.driving.load());
    stopThreads();
    bool nothingScheduled = pb::processQueueEmpty() && pb::timerQueueEmpty();
    PB_ASSERT_CTX("clock mode", nothingScheduled);
    bool wasManual = state.manual.load();
    if (manual && !wasManual) {
        state.manualNow.store(pb::clockNow());
        state.manual.store(true, std::memory_order_release);
    } else if (!manual && wasManual) {
        // Continue from the virtual clock if it ran ahead of real time.
        PB_INT offset = state.manualNow.load() - steadyMs();
        if (offset > state.threadedOffset.load()) state.threadedOffset.store(offset);
        state.manual.store(false, std::memory_order_release);
    }
}

extern "C" PB_EXPORT PB_BOOL pbRuntimeManualClock(void) { return pb::clockManual() ? PB_TRUE : PB_FALSE; }

extern "C" PB_EXPORT void pbRuntimeManualAdvance(PB_INT ms) {
    PB_ASSERT(ms >= 0);
    PB_ASSERT(pbRuntimeManualClock());
    PB_INT now = state.manualNow.load();
    PB_ASSERT(PB_INT_ADD_OK(now, ms));
    bool nested = state.driving.exchange(true);
    PB_ASSERT_CTX("manual clock", !nested);
    drive(now + ms);
    state.driving.store(false);
}

extern "C" PB_EXPORT void pbRuntimeManualJump(PB_INT ms) {
    PB_ASSERT(ms >= 0);
    PB_ASSERT(pbRuntimeManualClock());
    PB_INT now = state.manualNow.load();
    PB_ASSERT(PB_INT_ADD_OK(now, ms));
    bool nested = state.driving.exchange(true);
    PB_ASSERT_CTX("manual clock", !nested);
    // With the clock already at the target, drive() never steps it back to
    // a due time: every timer that fell due fires at the new time.
    state.manualNow.store(now + ms);
    drive(now + ms);
    state.driving.store(false);
}

extern "C" PB_EXPORT void pbRuntimeManualRunPending(void) { pbRuntimeManualAdvance(0); }

extern "C" PB_EXPORT void pbRuntimeExecutorShutdown(void) {
    std::lock_guard<std::mutex> guard(state.modeLock);
    stopThreads();
}
