// The module "cs" running in the manual clock mode for one benchmark.
#pragma once

#include "pb/pb_runtime.h"
#include "pb/pb_runtime_clock.h"

namespace bench {

struct ModuleStarted {
    ModuleStarted() {
        pbRuntimeSetManualClock(PB_TRUE);
        pbRuntimeStart(nullptr);
        pbRuntimeLoadModuleCstr("cs", -1);
    }
    ~ModuleStarted() {
        pbRuntimeStop();
        pbRuntimeManualRunPending();
    }
};

}  // namespace bench
