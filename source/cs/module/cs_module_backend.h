/* Module backends: the registration handle of a module that takes part in
 * the configuration and status. Creating one registers the module's
 * callbacks in the module table; releasing the last reference unregisters
 * them. A module name can be registered once at a time. */
#ifndef CS_MODULE_BACKEND_H
#define CS_MODULE_BACKEND_H

#include "pb/pb_module.h"
#include "pb/pb_store.h"

PB_BEGIN_DECLS

typedef struct CS_STATUS CS_STATUS;
typedef struct CS_MODULE_BACKEND CS_MODULE_BACKEND;

/* The callbacks of a module. Every one may be NULL: an operation whose
 * callback is absent does nothing and gives NULL. Each gets the backend's
 * context (borrowed; NULL when none was given) and borrows every argument.
 * What a callback returns is a new reference that the caller takes over
 * (or NULL). The flags `complete` and `includePrivateData` are passed on
 * as 0 or 1.
 *
 * Callbacks are called with no lock of the module table held, so they may
 * use it. When the configuration gathers or applies (csConfigGather,
 * csConfigSetConfig), config and setConfig run with the configuration's
 * lock held: they must not wait for another thread that calls into the
 * configuration. */

/* (context, complete, includePrivateData) -> new store */
typedef PB_STORE* (*CS_MODULE_CONFIG_FUNC)(PB_OBJ* context, PB_BOOL complete, PB_BOOL includePrivateData);
/* (context, config store): the module's part of an applied configuration,
 * an empty store when the configuration does not name the module */
typedef void (*CS_MODULE_SET_CONFIG_FUNC)(PB_OBJ* context, PB_STORE* config);
/* (context) -> new store describing the module */
typedef PB_STORE* (*CS_MODULE_INFO_FUNC)(PB_OBJ* context);
/* (context) -> new reference to the module's status, or NULL */
typedef CS_STATUS* (*CS_MODULE_STATUS_FUNC)(PB_OBJ* context);

extern PB_EXPORT PB_SORT cs___sort_CS_MODULE_BACKEND;
PB_STDFUNCS_DECLARE(csModuleBackend, CS_MODULE_BACKEND);

PB_EXPORT CS_MODULE_BACKEND* csModuleBackendCreate(PB_MODULE* module, CS_MODULE_CONFIG_FUNC config,
                                                   CS_MODULE_SET_CONFIG_FUNC setConfig, CS_MODULE_INFO_FUNC info,
                                                   CS_MODULE_STATUS_FUNC status, PB_OBJ* context);

PB_END_DECLS

#endif
