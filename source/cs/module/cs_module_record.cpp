// Module records: a module's configuration and status callbacks.
#include "cs/module/cs_module_record.h"

#include "cs/base/cs_module.h"
#include "pb/pb_stdfunc.hpp"

struct CS___MODULE_RECORD {
    PB_OBJ obj;
    PB_MODULE* module;  // set once at creation, like every field
    CS_MODULE_CONFIG_FUNC configFunc;
    CS_MODULE_SET_CONFIG_FUNC setConfigFunc;
    CS_MODULE_INFO_FUNC infoFunc;
    CS_MODULE_STATUS_FUNC statusFunc;
    PB_OBJ* context;  // retained, or NULL
};

namespace {

void moduleRecordFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS___MODULE_RECORD);
    auto* rec = reinterpret_cast<CS___MODULE_RECORD*>(obj);
    pb::releaseField(rec->module);
    pb::releaseField(rec->context);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS___MODULE_RECORD, &cs___module, "CS___MODULE_RECORD", moduleRecordFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(cs___ModuleRecord, CS___MODULE_RECORD, cs___sort_CS___MODULE_RECORD)

extern "C" PB_EXPORT CS___MODULE_RECORD* cs___ModuleRecordCreate(PB_MODULE* module, CS_MODULE_CONFIG_FUNC config,
                                                                 CS_MODULE_SET_CONFIG_FUNC setConfig,
                                                                 CS_MODULE_INFO_FUNC info, CS_MODULE_STATUS_FUNC status,
                                                                 PB_OBJ* context) {
    PB_ASSERT(module);
    auto* rec = reinterpret_cast<CS___MODULE_RECORD*>(
        pb___ObjCreate(sizeof(CS___MODULE_RECORD), &cs___sort_CS___MODULE_RECORD));
    pb::setField(rec->module, module);
    rec->configFunc = config;
    rec->setConfigFunc = setConfig;
    rec->infoFunc = info;
    rec->statusFunc = status;
    pb::setField(rec->context, context);
    return rec;
}

extern "C" PB_EXPORT PB_MODULE* cs___ModuleRecordModule(CS___MODULE_RECORD* rec) {
    PB_ASSERT(rec);
    return pbModuleRetain(rec->module);
}

extern "C" PB_EXPORT PB_STORE* cs___ModuleRecordConfig(CS___MODULE_RECORD* rec, PB_BOOL complete,
                                                       PB_BOOL includePrivateData) {
    PB_ASSERT(rec);
    return rec->configFunc ? rec->configFunc(rec->context, complete != 0, includePrivateData != 0) : nullptr;
}

extern "C" PB_EXPORT void cs___ModuleRecordSetConfig(CS___MODULE_RECORD* rec, PB_STORE* config) {
    PB_ASSERT(rec);
    PB_ASSERT(config);
    if (rec->setConfigFunc) rec->setConfigFunc(rec->context, config);
}

extern "C" PB_EXPORT PB_STORE* cs___ModuleRecordInfo(CS___MODULE_RECORD* rec) {
    PB_ASSERT(rec);
    return rec->infoFunc ? rec->infoFunc(rec->context) : nullptr;
}

extern "C" PB_EXPORT CS_STATUS* cs___ModuleRecordStatus(CS___MODULE_RECORD* rec) {
    PB_ASSERT(rec);
    return rec->statusFunc ? rec->statusFunc(rec->context) : nullptr;
}
