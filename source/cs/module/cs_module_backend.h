/* Module backends: the registration handle of a module that takes part in
 * the configuration and status. Creating one registers the module's
 * callbacks in the module table; releasing the last reference unregisters
 * them. A module name can be registered once at a time. */
#ifndef CS_MODULE_BACKEND_H
#define CS_MODULE_BACKEND_H

#include "cs/module/cs_module_record.h"

PB_BEGIN_DECLS

typedef struct CS_MODULE_BACKEND CS_MODULE_BACKEND;

extern PB_EXPORT PB_SORT cs___sort_CS_MODULE_BACKEND;
PB_STDFUNCS_DECLARE(csModuleBackend, CS_MODULE_BACKEND);

PB_EXPORT CS_MODULE_BACKEND* csModuleBackendCreate(PB_MODULE* module, CS_MODULE_CONFIG_FUNC config,
                                                   CS_MODULE_SET_CONFIG_FUNC setConfig, CS_MODULE_INFO_FUNC info,
                                                   CS_MODULE_STATUS_FUNC status, PB_OBJ* context);

PB_END_DECLS

#endif
