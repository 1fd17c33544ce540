/* The registration of the sort CS_WRAPPED in the sort table: a wrapped
 * object is created from, configured with and gathered as the store form
 * of its wrapped options. */
#ifndef CS_WRAPPED_CS_H
#define CS_WRAPPED_CS_H

#include "pb/pb_types.h"

PB_BEGIN_DECLS

PB_EXPORT void cs___WrappedCsStartup(void);
PB_EXPORT void cs___WrappedCsShutdown(void);

PB_END_DECLS

#endif
