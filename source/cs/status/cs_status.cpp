// Status objects: the current items of a reporter, with update and end signals.
#include "cs/status/cs_status.h"

#include "cs/status/cs_status.hpp"
#include "cs/status/cs_status_item.hpp"
#include "cs/status/cs_status_items.hpp"

#include "cs/base/cs_module.h"
#include "cs/base/cs_update_signal.hpp"
#include "pb/pb_name.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_region.hpp"
#include "pb/pb_signal.h"
#include "pb/pb_stdfunc.hpp"

struct CS_STATUS {
    PB_OBJ obj;
    PB_REGION* region;        // set once at creation; guards updateSignal and items
    PB_SIGNAL* endSignal;     // set once at creation; asserted once, with region held exclusively
    PB_SIGNAL* updateSignal;  // guarded by region; never handed out; replaced at every change it has signalables for
    CS_STATUS_ITEMS* items;   // guarded by region; never NULL; changed only with region held exclusively
};

namespace {

void statusFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_STATUS);
    auto* stat = reinterpret_cast<CS_STATUS*>(obj);
    pb::releaseField(stat->items);
    pb::releaseField(stat->updateSignal);
    pb::releaseField(stat->endSignal);
    pb::releaseField(stat->region);
}

// Runs one change of an open status with the region held exclusively and
// then tells the update signal's listeners. The fresh signal is in place
// before the old one is asserted, so a listener that adds itself again
// while it is being notified waits for the next change. Listeners add
// themselves only with the region held exclusively, so a signal without
// signalables can stay in place: nobody waits on it.
template <class Apply>
void change(CS_STATUS* stat, Apply apply) {
    pb::RegionExclusiveGuard writing(stat->region);
    PB_ASSERT(!pbSignalAsserted( stat->endSignal ));
    apply();
    cs::assertUpdateIfListened(stat->updateSignal);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_STATUS, &cs___module, "CS_STATUS", statusFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csStatus, CS_STATUS, cs___sort_CS_STATUS)

extern "C" PB_EXPORT CS_STATUS* cs___StatusCreate(void) {
    auto* stat = reinterpret_cast<CS_STATUS*>(pb___ObjCreate(sizeof(CS_STATUS), &cs___sort_CS_STATUS));
    stat->region = pbRegionCreate();
    stat->endSignal = pbSignalCreate();
    stat->updateSignal = pbSignalCreate();
    stat->items = csStatusItemsCreate();
    return stat;
}

extern "C" PB_EXPORT CS_STATUS_ITEMS* csStatusItems(CS_STATUS* stat) {
    PB_ASSERT(stat);
    pb::RegionSharedGuard reading(stat->region);
    return csStatusItemsRetain(stat->items);
}

extern "C" PB_EXPORT PB_BOOL csStatusEnd(CS_STATUS* stat) {
    PB_ASSERT(stat);
    return pbSignalAsserted(stat->endSignal);
}

extern "C" PB_EXPORT void csStatusEndAddSignalable(CS_STATUS* stat, PB_SIGNALABLE* signalable) {
    PB_ASSERT(stat);
    pbSignalAddSignalable(stat->endSignal, signalable);
}

extern "C" PB_EXPORT void csStatusEndDelSignalable(CS_STATUS* stat, PB_SIGNALABLE* signalable) {
    PB_ASSERT(stat);
    pbSignalDelSignalable(stat->endSignal, signalable);
}

extern "C" PB_EXPORT void csStatusUpdateAddSignalable(CS_STATUS* stat, PB_SIGNALABLE* signalable) {
    PB_ASSERT(stat);
    pb::RegionExclusiveGuard guard(stat->region);
    pbSignalAddSignalable(stat->updateSignal, signalable);
}

extern "C" PB_EXPORT void csStatusUpdateDelSignalable(CS_STATUS* stat, PB_SIGNALABLE* signalable) {
    PB_ASSERT(stat);
    pb::RegionExclusiveGuard guard(stat->region);
    pbSignalDelSignalable(stat->updateSignal, signalable);
}

extern "C" PB_EXPORT void cs___StatusSetItem(CS_STATUS* stat, PB_STRING* name, CS_STATUS_ITEM* item) {
    cs::statusSetItem(stat, name, item, {});
}

extern "C" PB_EXPORT void cs___StatusDelItem(CS_STATUS* stat, PB_STRING* name) { cs::statusDelItem(stat, name, {}); }

void cs::statusSetItem(CS_STATUS* stat, PB_STRING* name, CS_STATUS_ITEM* item, StatusAlso also) {
    PB_ASSERT(stat);
    PB_ASSERT(pbNameCamelCaseOk( name, PB_TRUE ));
    PB_ASSERT(item);
    change(stat, [&] {
        csStatusItemsSetItem(&stat->items, name, item);
        also();
    });
}

void cs::statusDelItem(CS_STATUS* stat, PB_STRING* name, StatusAlso also) {
    PB_ASSERT(stat);
    PB_ASSERT(pbNameCamelCaseOk( name, PB_TRUE ));
    change(stat, [&] {
        csStatusItemsDelItem(&stat->items, name);
        also();
    });
}

extern "C" PB_EXPORT void cs___StatusSetItems(CS_STATUS* stat, CS_STATUS_ITEMS* items) {
    PB_ASSERT(stat);
    PB_ASSERT(items);
    change(stat, [&] { pb::setField(stat->items, items); });
}

extern "C" PB_EXPORT void cs___StatusSetEnd(CS_STATUS* stat) {
    PB_ASSERT(stat);
    change(stat, [&] { pbSignalAssert(stat->endSignal); });
}

PB_REGION* cs::statusRegion(CS_STATUS* stat) {
    PB_ASSERT(stat);
    return stat->region;
}

// A name that is not a camel-case name has no item, so the caller's set
// of a new item makes the checks that this path leaves out.
bool cs::statusTrySetScalar(CS_STATUS* stat, PB_STRING* name, PB_INT type, PB_INT scalar, StatusAlso also) {
    PB_ASSERT(stat);
    pb::RegionExclusiveGuard writing(stat->region);
    CS_STATUS_ITEM* item = statusItemsSoleItem(stat->items, name);
    if (!item || pbSignalAsserted(stat->endSignal) || !statusItemReuseScalar(item, type, scalar)) return false;
    also();
    cs::assertUpdateIfListened(stat->updateSignal);
    return true;
}
