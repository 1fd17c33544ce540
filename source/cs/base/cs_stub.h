/* Stubs (CS_STUB): objects that keep any configuration store exactly as it
 * was given, with no meaning of their own.
 *
 * Configurations of older versions held disabled objects in stubs; the
 * update "2000-01-01" turns those into wrapped objects (cs_wrapped.h). The
 * configuration may be read and replaced from any thread:
 *
 *     CS_STUB* stub = csStubCreate();          // an empty configuration
 *     csStubSetConfig( stub, config );
 *     PB_STORE* same = csStubConfig( stub );
 *
 * The sort CS_STUB is registered with the sort table while the module runs
 * (cs_stub_cs.h). */
#ifndef CS_STUB_H
#define CS_STUB_H

#include "pb/pb_store.h"

PB_BEGIN_DECLS

typedef struct CS_STUB CS_STUB;

extern PB_EXPORT PB_SORT cs___sort_CS_STUB;
PB_STDFUNCS_DECLARE(csStub, CS_STUB);

PB_EXPORT CS_STUB* csStubCreate(void);
/* The configuration (a new reference); never NULL. */
PB_EXPORT PB_STORE* csStubConfig(CS_STUB* stub);
/* Precondition: config not NULL. */
PB_EXPORT void csStubSetConfig(CS_STUB* stub, PB_STORE* config);

PB_END_DECLS

#endif
