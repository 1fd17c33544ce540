// What the condition tests share: a module "probe" whose status a test
// writes through probeReporter, and rulesets written as JSON.
#pragma once

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
