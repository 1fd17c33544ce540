/* The update "2000-01-01": configurations of the module "cs" before
 * version 1.0 kept a disabled object inside a stub, as the stub's
 * configuration { "type": "CS_STUB_CONTAINER_TYPE_DISABLED_OBJECT",
 * "content": <the object's entry> }. The update replaces each such stub
 * entry by the content entry, wrapped with the mode CS_WRAPPED_MODE_DISABLED,
 * and records the version 1.0 of "cs". A configuration that already
 * records version 1.0 or later for "cs" is left as it is.
 *
 * The update is registered between cs___Update20000101Startup and
 * cs___Update20000101Shutdown, which the module's lifecycle calls. */
#ifndef CS_UPDATE_20000101_H
#define CS_UPDATE_20000101_H

#include "pb/pb_types.h"

PB_BEGIN_DECLS

PB_EXPORT void cs___Update20000101Startup(void);
PB_EXPORT void cs___Update20000101Shutdown(void);

PB_END_DECLS

#endif
