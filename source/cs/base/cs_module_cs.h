/* The registration of the module "cs" itself in the module table: its
 * configuration is its options, its status is its reporter's status. */
#ifndef CS_MODULE_CS_H
#define CS_MODULE_CS_H

#include "pb/pb_types.h"

PB_BEGIN_DECLS

PB_EXPORT void cs___ModuleCsStartup(void);
PB_EXPORT void cs___ModuleCsShutdown(void);

PB_END_DECLS

#endif
