// What the condition tests share: a module "probe" whose status a test
// writes through probeReporter, and rulesets written as JSON.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/cs_fixture.hpp"
#include "support/store_text.hpp"

namespace ctest {

inline const PB_MODULE_RECORD probeRecord = {2,  "vorlix", "Vorlix Server", 4,     14,   21, "", "", "",
                                             "probe", "Probe", "1.0",        "pb", ""};
inline PB_MODULE_DEFINE(probeModule, &probeRecord, nullptr, nullptr, nullptr, nullptr);
inline CS_STATUS_REPORTER* probeReporter = nullptr;
inline CS_STATUS* probeStatus(PB_OBJ*) { return csStatusReporterStatus(probeReporter); }

inline pb::Ref<CS_CONDITION_RULESET> rulesetOf(const std::string& text) {
    return pb::adopt(csConditionRulesetRestore(vtest::json(text).get()));
}

inline void setProbe(const char* name, PB_INT value) { csStatusReporterSetItemCstrInt(probeReporter, name, -1, value); }

// Waits until the condition's value is expected, woken by its update
// signal; fails after a generous limit instead of hanging.
inline bool settles(CS_CONDITION* cond, bool expected) {
    // Static: a notification already under way when the signalable is
    // removed may still arrive after the call returns.
    static struct Waker {
        std::mutex m;
        std::condition_variable cv;
        int fired = 0;
    } w;
    auto wake = pb::adopt(pbSignalableCreateWithCallback(
        [](void* c) {
            auto* w = static_cast<Waker*>(c);
            std::lock_guard guard(w->m);
            ++w->fired;
            w->cv.notify_all();
        },
        &w));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool done = false;
    std::unique_lock lock(w.m);
    for (;;) {
        int seen = w.fired;
        lock.unlock();
        csConditionUpdateAddSignalable(cond, wake.get());
        done = bool(csConditionValue(cond)) == expected;
        lock.lock();
        if (done || !w.cv.wait_until(lock, deadline, [&] { return w.fired != seen; })) break;
    }
    lock.unlock();
    csConditionUpdateDelSignalable(cond, wake.get());
    return done;
}

// The module "probe" is registered while the test runs.
class ProbeTest : public vtest::CsModuleTest {
protected:
    pb::Ref<CS_MODULE_BACKEND> probe;
    void SetUp() override {
        vtest::CsModuleTest::SetUp();
        probeReporter = csStatusReporterCreate(nullptr);
        probe = pb::adopt(csModuleBackendCreate(&probeModule, nullptr, nullptr, nullptr, probeStatus, nullptr));
    }
    void TearDown() override {
        probe.reset();
        csStatusReporterRelease(probeReporter);
        probeReporter = nullptr;
        vtest::CsModuleTest::TearDown();
    }
};

}  // namespace ctest
