/* Options of the module "cs" (CS_OPTIONS): the process-wide settings.
 *
 *   systemIdentifier    identifier, required  "systemIdentifier"
 *   comment             string, optional      "comment"
 *   includePrivateData  boolean, false        "includePrivateData"
 *   maintenanceMode     boolean, false        "maintenanceMode"
 *
 * Options are values: setters take the address of the caller's handle and
 * copy first when another holder shares the object.
 *
 *     CS_OPTIONS* opt = csOptionsCreate( identifier );
 *     csOptionsSetMaintenanceMode( &opt, PB_TRUE );
 *     PB_STORE* store = csOptionsStore( opt );
 *     CS_OPTIONS* back = csOptionsTryRestore( store );  // NULL without a
 *                                                       // valid identifier
 */
#ifndef CS_OPTIONS_H
#define CS_OPTIONS_H

#include "pb/pb_identifier.h"
#include "pb/pb_store.h"
#include "pb/pb_string.h"

PB_BEGIN_DECLS

typedef struct CS_OPTIONS CS_OPTIONS;

extern PB_EXPORT PB_SORT cs___sort_CS_OPTIONS;
PB_STDFUNCS_DECLARE(csOptions, CS_OPTIONS);

PB_EXPORT CS_OPTIONS* csOptionsCreate(PB_IDENTIFIER* systemIdentifier);
PB_EXPORT CS_OPTIONS* csOptionsCreateFrom(CS_OPTIONS* source);

PB_EXPORT PB_IDENTIFIER* csOptionsSystemIdentifier(CS_OPTIONS* opt);
PB_EXPORT void csOptionsSetSystemIdentifier(CS_OPTIONS** opt, PB_IDENTIFIER* systemIdentifier);
PB_EXPORT PB_STRING* csOptionsComment(CS_OPTIONS* opt);
PB_EXPORT PB_BOOL csOptionsHasComment(CS_OPTIONS* opt);
PB_EXPORT void csOptionsSetComment(CS_OPTIONS** opt, PB_STRING* comment);
PB_EXPORT void csOptionsDelComment(CS_OPTIONS** opt);
PB_EXPORT PB_BOOL csOptionsIncludePrivateData(CS_OPTIONS* opt);
PB_EXPORT void csOptionsSetIncludePrivateData(CS_OPTIONS** opt, PB_BOOL includePrivateData);
PB_EXPORT PB_BOOL csOptionsMaintenanceMode(CS_OPTIONS* opt);
PB_EXPORT void csOptionsSetMaintenanceMode(CS_OPTIONS** opt, PB_BOOL maintenanceMode);

PB_EXPORT PB_STORE* csOptionsStore(CS_OPTIONS* opt);
/* NULL when "systemIdentifier" is absent or not an identifier. */
PB_EXPORT CS_OPTIONS* csOptionsTryRestore(PB_STORE* store);

PB_END_DECLS

#endif
