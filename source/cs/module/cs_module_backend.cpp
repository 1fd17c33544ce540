// Module backends: registering a module for as long as the handle lives.
#include "cs/module/cs_module_backend.h"

#include "cs/base/cs_module.h"
#include "cs/module/cs_module_table.h"
#include "pb/pb_stdfunc.hpp"

struct CS_MODULE_BACKEND {
    PB_OBJ obj;
    CS___MODULE_RECORD* record;  // set once at creation; registered while the backend lives
};

namespace {

void moduleBackendFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_MODULE_BACKEND);
    auto* backend = reinterpret_cast<CS_MODULE_BACKEND*>(obj);
    cs___ModuleTableDelRecord(backend->record);
    pb::releaseField(backend->record);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_MODULE_BACKEND, &cs___module, "CS_MODULE_BACKEND", moduleBackendFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(csModuleBackend, CS_MODULE_BACKEND, cs___sort_CS_MODULE_BACKEND)

extern "C" PB_EXPORT CS_MODULE_BACKEND* csModuleBackendCreate(PB_MODULE* module, CS_MODULE_CONFIG_FUNC config,
                                                              CS_MODULE_SET_CONFIG_FUNC setConfig,
                                                              CS_MODULE_INFO_FUNC info, CS_MODULE_STATUS_FUNC status,
                                                              PB_OBJ* context) {
    CS___MODULE_RECORD* record = cs___ModuleRecordCreate(module, config, setConfig, info, status, context);
    cs___ModuleTableAddRecord(record);
    auto* backend =
        reinterpret_cast<CS_MODULE_BACKEND*>(pb___ObjCreate(sizeof(CS_MODULE_BACKEND), &cs___sort_CS_MODULE_BACKEND));
    backend->record = record;
    return backend;
}
