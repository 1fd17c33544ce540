// The module table: registered module records by module name, under a
// monitor; callbacks run outside it.
#include "cs/module/cs_module_table.h"

#include "pb/pb_dict.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_name.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_string.h"

// Module-wide state: NULL before start-up, all-ones after shutdown. The
// dictionary, which checks name, carries a cs___ name; the monitor is
// file-local.
PB_DICT* cs___ModulesDict = nullptr;  // module name -> CS___MODULE_RECORD

namespace {

PB_MONITOR* moduleTableMonitor = nullptr;  // guards cs___ModulesDict

using Record = pb::Ref<CS___MODULE_RECORD>;

Record byName(PB_STRING* moduleName) { return pb::adopt(cs___ModuleTableRecordByModuleName(moduleName)); }

Record byModule(PB_MODULE* module) { return pb::adopt(cs___ModuleTableRecordByModule(module)); }

PB_STORE* orEmpty(PB_STORE* store) { return store ? store : pbStoreCreate(); }

}  // namespace

extern "C" PB_EXPORT void cs___ModuleTableStartup(void) {
    moduleTableMonitor = pbMonitorCreate();
    cs___ModulesDict = pbDictCreate();
}

extern "C" PB_EXPORT void cs___ModuleTableShutdown(void) {
    pb::releaseField(cs___ModulesDict);
    pb::releaseField(moduleTableMonitor);
}

extern "C" PB_EXPORT void cs___ModuleTableAddRecord(CS___MODULE_RECORD* rec) {
    PB_ASSERT(rec);
    auto module = pb::adopt(cs___ModuleRecordModule(rec));
    auto name = pb::adopt(pbModuleName(module.get()));
    PB_STRING* moduleName = name.get();
    pb::MonitorGuard guard(moduleTableMonitor);
    PB_ASSERT(!pbDictHasStringKey( cs___ModulesDict, moduleName ));
    pbDictSetStringKey(&cs___ModulesDict, moduleName, cs___ModuleRecordObj(rec));
}

extern "C" PB_EXPORT void cs___ModuleTableDelRecord(CS___MODULE_RECORD* rec) {
    PB_ASSERT(rec);
    auto module = pb::adopt(cs___ModuleRecordModule(rec));
    auto name = pb::adopt(pbModuleName(module.get()));
    pb::MonitorGuard guard(moduleTableMonitor);
    auto old = pb::adopt(pbDictStringKey(cs___ModulesDict, name.get()));
    CS___MODULE_RECORD* oldRecord = cs___ModuleRecordFrom(old.get());
    PB_ASSERT(oldRecord == rec);
    pbDictDelStringKey(&cs___ModulesDict, name.get());
}

extern "C" PB_EXPORT CS___MODULE_RECORD* cs___ModuleTableRecordByModule(PB_MODULE* module) {
    PB_ASSERT(module);
    auto moduleName = pb::adopt(pbModuleName(module));
    return cs___ModuleTableRecordByModuleName(moduleName.get());
}

extern "C" PB_EXPORT CS___MODULE_RECORD* cs___ModuleTableRecordByModuleName(PB_STRING* moduleName) {
    PB_ASSERT(pbModuleNameOk( moduleName ));
    pb::MonitorGuard guard(moduleTableMonitor);
    return cs___ModuleRecordFrom(pbDictStringKey(cs___ModulesDict, moduleName));
}

extern "C" PB_EXPORT PB_BOOL csModuleTableHasModule(PB_MODULE* module) { return byModule(module) ? 1 : 0; }

extern "C" PB_EXPORT PB_BOOL csModuleTableHasModuleName(PB_STRING* moduleName) {
    return byName(moduleName) ? 1 : 0;
}

extern "C" PB_EXPORT PB_VECTOR* csModuleTableModulesVector(void) {
    PB_VECTOR* modules = pbVectorCreate();
    pb::MonitorGuard guard(moduleTableMonitor);
    for (PB_INT i = 0; i < pbDictLength(cs___ModulesDict); ++i) {
        auto rec = pb::adopt(cs___ModuleRecordFrom(pbDictValueAt(cs___ModulesDict, i)));
        auto module = pb::adopt(cs___ModuleRecordModule(rec.get()));
        pbVectorAppendObj(&modules, pbModuleObj(module.get()));
    }
    return modules;
}

extern "C" PB_EXPORT PB_VECTOR* csModuleTableModuleNamesVector(void) {
    PB_VECTOR* names = pbVectorCreate();
    pb::MonitorGuard guard(moduleTableMonitor);
    for (PB_INT i = 0; i < pbDictLength(cs___ModulesDict); ++i) {
        auto key = pb::adopt(pbDictKeyAt(cs___ModulesDict, i));
        pbVectorAppendObj(&names, key.get());
    }
    return names;
}

extern "C" PB_EXPORT PB_STORE* csModuleConfigByModule(PB_MODULE* module, PB_BOOL complete,
                                                      PB_BOOL includePrivateData) {
    Record rec = byModule(module);
    return orEmpty(rec ? cs___ModuleRecordConfig(rec.get(), complete, includePrivateData) : nullptr);
}

extern "C" PB_EXPORT PB_STORE* csModuleConfigByModuleName(PB_STRING* moduleName, PB_BOOL complete,
                                                          PB_BOOL includePrivateData) {
    Record rec = byName(moduleName);
    return orEmpty(rec ? cs___ModuleRecordConfig(rec.get(), complete, includePrivateData) : nullptr);
}

extern "C" PB_EXPORT void csModuleSetConfigByModule(PB_MODULE* module, PB_STORE* config) {
    PB_ASSERT(config);
    if (Record rec = byModule(module)) cs___ModuleRecordSetConfig(rec.get(), config);
}

extern "C" PB_EXPORT void csModuleSetConfigByModuleName(PB_STRING* moduleName, PB_STORE* config) {
    PB_ASSERT(config);
    if (Record rec = byName(moduleName)) cs___ModuleRecordSetConfig(rec.get(), config);
}

extern "C" PB_EXPORT PB_STORE* csModuleInfoByModule(PB_MODULE* module) {
    Record rec = byModule(module);
    return orEmpty(rec ? cs___ModuleRecordInfo(rec.get()) : nullptr);
}

extern "C" PB_EXPORT PB_STORE* csModuleInfoByModuleName(PB_STRING* moduleName) {
    Record rec = byName(moduleName);
    return orEmpty(rec ? cs___ModuleRecordInfo(rec.get()) : nullptr);
}

extern "C" PB_EXPORT CS_STATUS* csModuleStatusByModule(PB_MODULE* module) {
    Record rec = byModule(module);
    return rec ? cs___ModuleRecordStatus(rec.get()) : nullptr;
}

extern "C" PB_EXPORT CS_STATUS* csModuleStatusByModuleName(PB_STRING* moduleName) {
    Record rec = byName(moduleName);
    return rec ? cs___ModuleRecordStatus(rec.get()) : nullptr;
}
