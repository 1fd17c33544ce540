/* Module records: the callbacks through which the configuration and the
 * conditions reach one module of the process, and their context.
 *
 * Every callback may be NULL; an operation whose callback is absent does
 * nothing and gives NULL. Records are set once at creation. */
#ifndef CS_MODULE_RECORD_H
#define CS_MODULE_RECORD_H

#include "pb/pb_module.h"
#include "pb/pb_store.h"

PB_BEGIN_DECLS

typedef struct CS_STATUS CS_STATUS;
typedef struct CS___MODULE_RECORD CS___MODULE_RECORD;

/* (context, complete, includePrivateData) -> store */
typedef PB_STORE* (*CS_MODULE_CONFIG_FUNC)(PB_OBJ* context, PB_BOOL complete, PB_BOOL includePrivateData);
typedef void (*CS_MODULE_SET_CONFIG_FUNC)(PB_OBJ* context, PB_STORE* config);
typedef PB_STORE* (*CS_MODULE_INFO_FUNC)(PB_OBJ* context);
typedef CS_STATUS* (*CS_MODULE_STATUS_FUNC)(PB_OBJ* context);

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
