/* The registration of the sort CS_CONDITION in the sort table: a
 * condition's configuration is its options' store form
 * (cs_condition_options.h), its status is the one holding
 * "csConditionValue". */
#ifndef CS_CONDITION_CS_H
#define CS_CONDITION_CS_H

#include "pb/pb_types.h"

PB_BEGIN_DECLS

PB_EXPORT void cs___ConditionCsStartup(void);
PB_EXPORT void cs___ConditionCsShutdown(void);

PB_END_DECLS

#endif
