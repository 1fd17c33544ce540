/* The module table: the modules of the process that take part in the
 * configuration and status, by module name.
 *
 * Every operation by module takes the module's name and looks the record up
 * under the table's monitor; callbacks run after the monitor is left, with
 * the record held. Unregistered modules and absent callbacks give empty
 * stores or NULL, never an error. */
#ifndef CS_MODULE_TABLE_H
#define CS_MODULE_TABLE_H

#include "cs/module/cs_module_record.h"
#include "pb/pb_vector.h"

PB_BEGIN_DECLS

PB_EXPORT void cs___ModuleTableStartup(void);
PB_EXPORT void cs___ModuleTableShutdown(void);

/* Precondition: the module's name is not registered yet. */
PB_EXPORT void cs___ModuleTableAddRecord(CS___MODULE_RECORD* rec);
/* Precondition: rec is the record registered under its module's name. */
PB_EXPORT void cs___ModuleTableDelRecord(CS___MODULE_RECORD* rec);
PB_EXPORT CS___MODULE_RECORD* cs___ModuleTableRecordByModule(PB_MODULE* module);
PB_EXPORT CS___MODULE_RECORD* cs___ModuleTableRecordByModuleName(PB_STRING* moduleName);

PB_EXPORT PB_BOOL csModuleTableHasModule(PB_MODULE* module);
PB_EXPORT PB_BOOL csModuleTableHasModuleName(PB_STRING* moduleName);
/* The registered modules (objects) and their names (strings), in one order. */
PB_EXPORT PB_VECTOR* csModuleTableModulesVector(void);
PB_EXPORT PB_VECTOR* csModuleTableModuleNamesVector(void);

/* The module's configuration, or a new empty store. Never NULL. */
PB_EXPORT PB_STORE* csModuleConfigByModule(PB_MODULE* module, PB_BOOL complete, PB_BOOL includePrivateData);
PB_EXPORT PB_STORE* csModuleConfigByModuleName(PB_STRING* moduleName, PB_BOOL complete,
                                               PB_BOOL includePrivateData);
/* Hands config to the module; nothing when it is not registered. */
PB_EXPORT void csModuleSetConfigByModule(PB_MODULE* module, PB_STORE* config);
PB_EXPORT void csModuleSetConfigByModuleName(PB_STRING* moduleName, PB_STORE* config);
/* The module's information, or a new empty store. Never NULL. */
PB_EXPORT PB_STORE* csModuleInfoByModule(PB_MODULE* module);
PB_EXPORT PB_STORE* csModuleInfoByModuleName(PB_STRING* moduleName);
/* The module's status, or NULL. */
PB_EXPORT CS_STATUS* csModuleStatusByModule(PB_MODULE* module);
PB_EXPORT CS_STATUS* csModuleStatusByModuleName(PB_STRING* moduleName);

PB_END_DECLS

#endif
