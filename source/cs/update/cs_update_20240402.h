/* The update "2024-04-02": configurations of the module "cs" before
 * version 5.0 may carry, in an object's meta data, a node wizard preset
 * ("metaData"/"pelmarq"/"nodeWizard"/"preset"). The update moves it to
 * "metaData"/"pelmarq"/"objectInformationId" in identifier form (upper
 * case, hyphens dropped, 'L' and 'Z' read as '0': "ab-cl-z9" gives
 * "ABC009") and records the version 5.0 of "cs". An object that already
 * has an "objectInformationId" keeps its preset; a configuration that
 * already records version 5.0 or later for "cs" is left as it is.
 *
 * The update is registered between cs___Update20240402Startup and
 * cs___Update20240402Shutdown, which the module's lifecycle calls. */
#ifndef CS_UPDATE_20240402_H
#define CS_UPDATE_20240402_H

#include "pb/pb_types.h"

PB_BEGIN_DECLS

PB_EXPORT void cs___Update20240402Startup(void);
PB_EXPORT void cs___Update20240402Shutdown(void);

PB_END_DECLS

#endif
