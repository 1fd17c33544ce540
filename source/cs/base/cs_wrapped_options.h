/* Wrapped options (CS_WRAPPED_OPTIONS): what a wrapped object holds in
 * place of an object it does not instantiate.
 *
 *   sortName  string, optional       "sort"    upper-case sort name of the
 *                                              object held
 *   mode      wrapped mode, 0        "mode"    its literal name, always written
 *                                              (cs_wrapped_mode.h)
 *   config    store, an empty store  "config"  always written
 *
 * Options are values: setters take the address of the caller's handle and
 * copy first when another holder shares the object. Restoring never fails:
 * a key that is absent or malformed leaves its field at the default.
 *
 *     CS_WRAPPED_OPTIONS* opt = csWrappedOptionsCreate();
 *     csWrappedOptionsSetSortName( &opt, sortName );
 *     csWrappedOptionsSetMode( &opt, CS_WRAPPED_MODE_DISABLED );
 *     csWrappedOptionsSetConfig( &opt, config );
 *     PB_STORE* store = csWrappedOptionsStore( opt );
 *     CS_WRAPPED_OPTIONS* back = csWrappedOptionsRestore( store );
 */
#ifndef CS_WRAPPED_OPTIONS_H
#define CS_WRAPPED_OPTIONS_H

#include "cs/base/cs_wrapped_mode.h"
#include "pb/pb_store.h"

PB_BEGIN_DECLS

typedef struct CS_WRAPPED_OPTIONS CS_WRAPPED_OPTIONS;

extern PB_EXPORT PB_SORT cs___sort_CS_WRAPPED_OPTIONS;
PB_STDFUNCS_DECLARE(csWrappedOptions, CS_WRAPPED_OPTIONS);

PB_EXPORT CS_WRAPPED_OPTIONS* csWrappedOptionsCreate(void);
PB_EXPORT CS_WRAPPED_OPTIONS* csWrappedOptionsCreateFrom(CS_WRAPPED_OPTIONS* source);

/* The sort name, or NULL when not set. */
PB_EXPORT PB_STRING* csWrappedOptionsSortName(CS_WRAPPED_OPTIONS* opt);
PB_EXPORT PB_BOOL csWrappedOptionsHasSortName(CS_WRAPPED_OPTIONS* opt);
/* Precondition: an upper-case name (underscores allowed). */
PB_EXPORT void csWrappedOptionsSetSortName(CS_WRAPPED_OPTIONS** opt, PB_STRING* sortName);
PB_EXPORT void csWrappedOptionsDelSortName(CS_WRAPPED_OPTIONS** opt);

PB_EXPORT PB_INT csWrappedOptionsMode(CS_WRAPPED_OPTIONS* opt);
/* Precondition: CS_WRAPPED_MODE_OK( mode ). */
PB_EXPORT void csWrappedOptionsSetMode(CS_WRAPPED_OPTIONS** opt, PB_INT mode);

PB_EXPORT PB_STORE* csWrappedOptionsConfig(CS_WRAPPED_OPTIONS* opt);
PB_EXPORT void csWrappedOptionsSetConfig(CS_WRAPPED_OPTIONS** opt, PB_STORE* config);

PB_EXPORT PB_STORE* csWrappedOptionsStore(CS_WRAPPED_OPTIONS* opt);
/* Never NULL: defaults for every key that is absent or malformed. */
PB_EXPORT CS_WRAPPED_OPTIONS* csWrappedOptionsRestore(PB_STORE* store);

PB_END_DECLS

#endif
