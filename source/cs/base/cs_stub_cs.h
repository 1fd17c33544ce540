/* The registration of the sort CS_STUB in the sort table: a stub's
 * configuration is the store it was given, unchanged. */
#ifndef CS_STUB_CS_H
#define CS_STUB_CS_H

#include "pb/pb_types.h"

PB_BEGIN_DECLS

PB_EXPORT void cs___StubCsStartup(void);
PB_EXPORT void cs___StubCsShutdown(void);

PB_END_DECLS

#endif
