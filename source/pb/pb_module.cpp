// Module descriptors: the runtime's own, and the readers of a module record.
#include "pb/pb_module.h"

#include "pb/pb_module_version.h"
#include "pb/pb_product.h"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_string.h"

namespace {

const PB_MODULE_RECORD pbRecord = {
    PB___PRODUCT_RECORD_FIELDS, "pb", "Base Runtime", PB___MODULE_VERSION, "", "rfc tr cs"};

PB_STRING* moduleToString(PB_OBJ* obj) {
    return pbModuleName(reinterpret_cast<PB_MODULE*>(obj));
}

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_MODULE, &pb___module, "PB_MODULE", nullptr, nullptr, moduleToString);
PB_STDFUNCS_DEFINE(pbModule, PB_MODULE, pb___sort_PB_MODULE)
PB_MODULE_DEFINE(pb___module, &pbRecord, nullptr, nullptr, nullptr, nullptr);

extern "C" PB_EXPORT PB_STRING* pbModuleName(PB_MODULE* module) {
    return pbStringCreateFromCstr(pbModuleNameCstr(module), -1);
}

extern "C" PB_EXPORT const char* pbModuleNameCstr(PB_MODULE* module) {
    PB_ASSERT(module);
    return module->record->moduleName;
}

extern "C" PB_EXPORT PB_MODULE_VERSION* pbModuleVersion(PB_MODULE* module) {
    PB_ASSERT(module);
    return pbModuleVersionTryCreateFromCstr(module->record->moduleVersion, -1);
}

extern "C" PB_EXPORT const PB_MODULE_RECORD* pbModuleRecord(PB_MODULE* module) {
    PB_ASSERT(module);
    return module->record;
}
