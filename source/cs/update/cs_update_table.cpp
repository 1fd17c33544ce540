// The update table: registered update records by date, under a monitor.
#include "cs/update/cs_update_table.h"

#include "pb/pb_dict.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

// Module-wide state: NULL before start-up, all-ones after shutdown.
PB_MONITOR* cs___UpdateTableMonitor = nullptr;  // guards cs___UpdateTableDict
// PB_TIME -> PB_DICT (CS___UPDATE_RECORD -> itself). Times order by date,
// so positions run from the oldest date to the newest.
PB_DICT* cs___UpdateTableDict = nullptr;

extern "C" PB_EXPORT void cs___UpdateTableStartup(void) {
    cs___UpdateTableMonitor = pbMonitorCreate();
    cs___UpdateTableDict = pbDictCreate();
}

extern "C" PB_EXPORT void cs___UpdateTableShutdown(void) {
    pb::releaseField(cs___UpdateTableDict);
    pb::releaseField(cs___UpdateTableMonitor);
}

extern "C" PB_EXPORT void cs___UpdateTableAddRecord(CS___UPDATE_RECORD* record) {
    PB_ASSERT(record);
    auto time = pb::adopt(cs___UpdateRecordTime(record));
    pb::MonitorGuard guard(cs___UpdateTableMonitor);
    auto records = pb::adopt(pbDictFrom(pbDictObjKey(cs___UpdateTableDict, pbTimeObj(time.get()))));
    if (!records) records = pb::adopt(pbDictCreate());
    pbDictSetObjKey(records.out(), cs___UpdateRecordObj(record), cs___UpdateRecordObj(record));
    pbDictSetObjKey(&cs___UpdateTableDict, pbTimeObj(time.get()), pbDictObj(records.get()));
}

extern "C" PB_EXPORT void cs___UpdateTableDelRecord(CS___UPDATE_RECORD* record) {
    PB_ASSERT(record);
    auto time = pb::adopt(cs___UpdateRecordTime(record));
    pb::MonitorGuard guard(cs___UpdateTableMonitor);
    auto records = pb::adopt(pbDictFrom(pbDictObjKey(cs___UpdateTableDict, pbTimeObj(time.get()))));
    if (!records) return;
    pbDictDelObjKey(records.out(), cs___UpdateRecordObj(record));
    if (pbDictLength(records.get()) > 0)
        pbDictSetObjKey(&cs___UpdateTableDict, pbTimeObj(time.get()), pbDictObj(records.get()));
    else
        pbDictDelObjKey(&cs___UpdateTableDict, pbTimeObj(time.get()));
}

// Runs the records date by date under the monitor, on the caller's handle.
// The walk goes over the table as it stood when the run began.
extern "C" PB_EXPORT void csUpdateTableUpdate(CS_UPDATE** update) {
    PB_ASSERT(update);
    PB_ASSERT(*update);
    pb::MonitorGuard guard(cs___UpdateTableMonitor);
    auto dates = pb::retain(cs___UpdateTableDict);
    for (PB_INT i = 0; i < pbDictLength(dates.get()); ++i) {
        auto records = pb::adopt(pbDictFrom(pbDictValueAt(dates.get(), i)));
        for (PB_INT j = 0; j < pbDictLength(records.get()); ++j) {
            auto record = pb::adopt(cs___UpdateRecordFrom(pbDictValueAt(records.get(), j)));
            cs___UpdateRecordUpdate(record.get(), update);
        }
    }
}
