/* The module "cs": its descriptor for the runtime, its record and version
 * marker, and the module-wide functions of its lifecycle.
 *
 * The runtime loads libvorlix-cs.so, finds cs___module and calls its four
 * hooks: start-up, halt, shutdown, final release. */
#ifndef CS_MODULE_H
#define CS_MODULE_H

#include "pb/pb_module.h"

PB_BEGIN_DECLS

extern PB_EXPORT PB_MODULE cs___module;
extern PB_EXPORT const PB_MODULE_RECORD cs___module_record;
extern PB_EXPORT const char* const cs___module_version_string;

/* The module descriptor cs___module. */
PB_EXPORT PB_MODULE* csModule(void);

PB_END_DECLS

#endif
