// The update table: registered update records by date, under a monitor.
#include "cs/update/cs_update_table.h"

#include "pb/pb_dict.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

namespace {

// Module-wide state: NULL before start-up, all-ones after shutdown.
PB_MONITOR* updateTableMonitor = nullptr;  // guards updateTableDict
// PB_TIME -> PB_DICT (CS___UPDATE_RECORD -> itself). Times order by date,
// so positions run from the oldest date to the newest.
PB_DICT* updateTableDict = nullptr;

}  // namespace

extern "C" PB_EXPORT void cs___UpdateTableStartup(void) {
    updateTableMonitor = pbMonitorCreate();
    updateTableDict = pbDictCreate();
}

extern "C" PB_EXPORT void cs___UpdateTableShutdown(void) {
    pb::releaseField(updateTableDict);
    pb::releaseField(updateTableMonitor);
}

extern "C" PB_EXPORT void cs___UpdateTableAddRecord(CS___UPDATE_RECORD* record) {
    PB_ASSERT(record);
    auto time = pb::adopt(cs___UpdateRecordTime(record));
    pb::MonitorGuard guard(updateTableMonitor);
    auto records = pb::adopt(pbDictFrom(pbDictObjKey(updateTableDict, pbTimeObj(time.get()))));
    if (!records) records = pb::adopt(pbDictCreate());
    pbDictSetObjKey(records.out(), cs___UpdateRecordObj(record), cs___UpdateRecordObj(record));
    pbDictSetObjKey(&updateTableDict, pbTimeObj(time.get()), pbDictObj(records.get()));
}

extern "C" PB_EXPORT void cs___UpdateTableDelRecord(CS___UPDATE_RECORD* record) {
    PB_ASSERT(record);
    auto time = pb::adopt(cs___UpdateRecordTime(record));
    pb::MonitorGuard guard(updateTableMonitor);
    auto records = pb::adopt(pbDictFrom(pbDictObjKey(updateTableDict, pbTimeObj(time.get()))));
    if (!records) return;
    pbDictDelObjKey(records.out(), cs___UpdateRecordObj(record));
    if (pbDictLength(records.get()) > 0)
        pbDictSetObjKey(&updateTableDict, pbTimeObj(time.get()), pbDictObj(records.get()));
    else
        pbDictDelObjKey(&updateTableDict, pbTimeObj(time.get()));
}

// Runs the records date by date under the monitor, on the caller's handle.
// The walk goes over the table as it stood when the run began.
extern "C" PB_EXPORT void csUpdateTableUpdate(CS_UPDATE** update) {
    PB_ASSERT(update);
    PB_ASSERT(*update);
    pb::MonitorGuard guard(updateTableMonitor);
    auto dates = pb::retain(updateTableDict);
    for (PB_INT i = 0; i < pbDictLength(dates.get()); ++i) {
        auto records = pb::adopt(pbDictFrom(pbDictValueAt(dates.get(), i)));
        for (PB_INT j = 0; j < pbDictLength(records.get()); ++j) {
            auto record = pb::adopt(cs___UpdateRecordFrom(pbDictValueAt(records.get(), j)));
            cs___UpdateRecordUpdate(record.get(), update);
        }
    }
}
