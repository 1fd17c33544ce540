// Start-up complete: a signal that a timer asserts ten seconds after start.
#include "cs/base/cs_startup_complete.h"

#include "pb/pb_signal.h"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_timer.h"

namespace {

// Created at start-up and only asserted by the timer afterwards: no lock.
PB_SIGNAL* startupCompleteSignal = nullptr;
PB_TIMER* startupCompleteTimer = nullptr;

}  // namespace

extern "C" PB_EXPORT void cs___StartupCompleteStartup(void) {
    startupCompleteSignal = pbSignalCreate();
    startupCompleteTimer = pbTimerCreateWithSignal(startupCompleteSignal);
    pbTimerSchedule(startupCompleteTimer, CS_STARTUP_COMPLETE_DELAY_MS);
}

extern "C" PB_EXPORT void cs___StartupCompleteShutdown(void) {
    pb::releaseField(startupCompleteTimer);
    pb::releaseField(startupCompleteSignal);
}

extern "C" PB_EXPORT PB_BOOL csStartupComplete(void) { return pbSignalAsserted(startupCompleteSignal); }

extern "C" PB_EXPORT void csStartupCompleteAddSignalable(PB_SIGNALABLE* signalable) {
    pbSignalAddSignalable(startupCompleteSignal, signalable);
}

extern "C" PB_EXPORT void csStartupCompleteDelSignalable(PB_SIGNALABLE* signalable) {
    pbSignalDelSignalable(startupCompleteSignal, signalable);
}
