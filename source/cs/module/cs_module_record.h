/* Module records: the callbacks through which the configuration and the
 * conditions reach one module of the process, and their context.
 *
 * The callbacks and their contract are those of the module backend
 * (cs_module_backend.h). Records are set once at creation. */
#ifndef CS_MODULE_RECORD_H
#define CS_MODULE_RECORD_H

#include "cs/module/cs_module_backend.h"

PB_BEGIN_DECLS

typedef struct CS___MODULE_RECORD CS___MODULE_RECORD;

extern PB_EXPORT PB_SORT cs___sort_CS___MODULE_RECORD;
PB_STDFUNCS_DECLARE(cs___ModuleRecord, CS___MODULE_RECORD);

/* Precondition: module not NULL. The context is retained when given. */
PB_EXPORT CS___MODULE_RECORD* cs___ModuleRecordCreate(PB_MODULE* module, CS_MODULE_CONFIG_FUNC config,
                                                      CS_MODULE_SET_CONFIG_FUNC setConfig, CS_MODULE_INFO_FUNC info,
                                                      CS_MODULE_STATUS_FUNC status, PB_OBJ* context);
PB_EXPORT PB_MODULE* cs___ModuleRecordModule(CS___MODULE_RECORD* rec);
PB_EXPORT PB_STORE* cs___ModuleRecordConfig(CS___MODULE_RECORD* rec, PB_BOOL complete, PB_BOOL includePrivateData);
/* Precondition: config not NULL. */
PB_EXPORT void cs___ModuleRecordSetConfig(CS___MODULE_RECORD* rec, PB_STORE* config);
PB_EXPORT PB_STORE* cs___ModuleRecordInfo(CS___MODULE_RECORD* rec);
PB_EXPORT CS_STATUS* cs___ModuleRecordStatus(CS___MODULE_RECORD* rec);

PB_END_DECLS

#endif
