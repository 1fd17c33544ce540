/* Regions: shared / exclusive locks for data that is read far more often
 * than it is changed.
 *
 * Any number of threads may hold a region shared, or one thread may hold it
 * exclusive. A thread that waits for exclusive access keeps new readers out
 * so that it is not starved. Entries nest: a thread that holds the region
 * shared may enter it shared again (it does not wait behind a waiting
 * writer), and a thread that holds it exclusive may enter it in either mode
 * again (a nested shared entry is then part of its exclusive hold).
 * pbRegionLeave undoes the calling thread's latest entry, whichever mode it
 * was. In C++ use the guards of pb_region.hpp:
 *
 *     pbRegionEnterShared( table->region );
 *     ... read ...
 *     pbRegionLeave( table->region );
 *
 * Preconditions: pbRegionEnterExclusive is not called by a thread that holds
 * the region only shared (that would wait for itself); pbRegionLeave is
 * called by a thread that holds the region. */
#ifndef PB_REGION_H
#define PB_REGION_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_REGION PB_REGION;

PB_STDFUNCS_DECLARE(pbRegion, PB_REGION);

PB_EXPORT PB_REGION* pbRegionCreate(void);
PB_EXPORT void pbRegionEnterShared(PB_REGION* region);
PB_EXPORT void pbRegionEnterExclusive(PB_REGION* region);
PB_EXPORT void pbRegionLeave(PB_REGION* region);

PB_END_DECLS

#endif
