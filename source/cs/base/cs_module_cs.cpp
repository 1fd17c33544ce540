// The module backend of "cs": options in, options out, status.
#include "cs/base/cs_module_cs.h"

#include "cs/base/cs_module.h"
#include "cs/base/cs_options.h"
#include "cs/module/cs_module_backend.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

namespace {

CS_MODULE_BACKEND* moduleCsBackend = nullptr;  // set at start-up, released at shutdown

PB_STORE* config(PB_OBJ*, PB_BOOL, PB_BOOL) {
    auto opt = pb::adopt(csModuleOptions());
    return csOptionsStore(opt.get());
}

// A store that does not restore to options leaves the options as they are.
void setConfig(PB_OBJ*, PB_STORE* config) {
    PB_ASSERT(config);
    if (auto opt = pb::adopt(csOptionsTryRestore(config))) csModuleSetOptions(opt.get());
}

CS_STATUS* status(PB_OBJ*) { return csModuleCsStatus(); }

}  // namespace

extern "C" PB_EXPORT void cs___ModuleCsStartup(void) {
    moduleCsBackend = nullptr;
    moduleCsBackend = csModuleBackendCreate(csModule(), config, setConfig, nullptr, status, nullptr);
}

extern "C" PB_EXPORT void cs___ModuleCsShutdown(void) { pb::releaseField(moduleCsBackend); }
