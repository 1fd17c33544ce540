// The sort table: registered sort records by sort name, under a monitor.
#include "cs/sort/cs_sort_table.h"

#include "pb/pb_dict.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_name.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_string.h"

#include <utility>
#include <vector>

// Module-wide state: NULL before start-up, all-ones after shutdown. The
// dictionary, which checks name, carries a cs___ name; the monitor is
// file-local.
PB_DICT* cs___SortDict = nullptr;  // sort name -> CS___SORT_RECORD

namespace {
PB_MONITOR* sortTableMonitor = nullptr;  // guards cs___SortDict and bySort

// The records that lookups by sort found, so that the next lookup of the
// same sort skips its name: every object's configuration, status and
// trace is reached through its sort. Not owned: cs___SortDict holds them,
// and every change of cs___SortDict empties the list. A handful of sorts
// are in use at a time, so a short list searched in order does.
std::vector<std::pair<PB_SORT*, CS___SORT_RECORD*>> bySort;  // guarded by sortTableMonitor
constexpr size_t kBySortMax = 16;
}  // namespace


extern "C" PB_EXPORT void cs___SortTableStartup(void) {
    sortTableMonitor = pbMonitorCreate();
    cs___SortDict = pbDictCreate();
}

extern "C" PB_EXPORT void cs___SortTableShutdown(void) {
    std::vector<std::pair<PB_SORT*, CS___SORT_RECORD*>>().swap(bySort);
    pb::releaseField(cs___SortDict);
    pb::releaseField(sortTableMonitor);
}

extern "C" PB_EXPORT void cs___SortTableAddRecord(CS___SORT_RECORD* rec) {
    PB_ASSERT(rec);
    auto sort = pb::adopt(cs___SortRecordPbSort(rec));
    auto name = pb::adopt(pbSortName(sort.get()));
    PB_STRING* sortName = name.get();
    pb::MonitorGuard guard(sortTableMonitor);
    PB_ASSERT(!pbDictHasStringKey( cs___SortDict, sortName ));
    pbDictSetStringKey(&cs___SortDict, sortName, cs___SortRecordObj(rec));
    bySort.clear();
}

extern "C" PB_EXPORT void cs___SortTableDelRecord(CS___SORT_RECORD* rec) {
    PB_ASSERT(rec);
    auto sort = pb::adopt(cs___SortRecordPbSort(rec));
    auto name = pb::adopt(pbSortName(sort.get()));
    pb::MonitorGuard guard(sortTableMonitor);
    auto old = pb::adopt(pbDictStringKey(cs___SortDict, name.get()));
    CS___SORT_RECORD* oldRecord = cs___SortRecordFrom(old.get());
    PB_ASSERT(oldRecord == rec);
    pbDictDelStringKey(&cs___SortDict, name.get());
    bySort.clear();
}

extern "C" PB_EXPORT CS___SORT_RECORD* cs___SortTableRecordBySort(PB_SORT* sort) {
    PB_ASSERT(sort);
    {
        pb::MonitorGuard guard(sortTableMonitor);
        for (const auto& [known, rec] : bySort)
            if (known == sort) return cs___SortRecordRetain(rec);
    }
    auto sortName = pb::adopt(pbSortName(sort));
    CS___SORT_RECORD* rec = cs___SortTableRecordBySortName(sortName.get());
    pb::MonitorGuard guard(sortTableMonitor);
    // Only while the dictionary still holds it under the sort's name: a
    // change between the two holds of the monitor emptied the list.
    if (rec && bySort.size() < kBySortMax &&
        pb::adopt(pbDictStringKey(cs___SortDict, sortName.get())).get() == cs___SortRecordObj(rec))
        bySort.emplace_back(sort, rec);
    return rec;
}

// Every lookup by name comes here, and so does the first lookup of each
// sort, so a sort whose name is not an upper-case name stops the process
// whichever way it is looked up.
extern "C" PB_EXPORT CS___SORT_RECORD* cs___SortTableRecordBySortName(PB_STRING* sortName) {
    PB_ASSERT(pbNameUpperCaseOk( sortName, PB_TRUE ));
    pb::MonitorGuard guard(sortTableMonitor);
    return cs___SortRecordFrom(pbDictStringKey(cs___SortDict, sortName));
}

extern "C" PB_EXPORT PB_BOOL csSortTableHasSort(PB_SORT* sort) {
    return pb::adopt(cs___SortTableRecordBySort(sort)) ? PB_TRUE : PB_FALSE;
}

extern "C" PB_EXPORT PB_BOOL csSortTableHasSortName(PB_STRING* sortName) {
    return pb::adopt(cs___SortTableRecordBySortName(sortName)) ? PB_TRUE : PB_FALSE;
}

extern "C" PB_EXPORT PB_VECTOR* csSortTableSortNamesVector(void) {
    PB_VECTOR* names = pbVectorCreate();
    pb::MonitorGuard guard(sortTableMonitor);
    for (PB_INT i = 0; i < pbDictLength(cs___SortDict); ++i) {
        auto key = pb::adopt(pbDictKeyAt(cs___SortDict, i));
        pbVectorAppendObj(&names, key.get());
    }
    return names;
}

extern "C" PB_EXPORT PB_VECTOR* csSortTableSortsVector(void) {
    PB_VECTOR* sorts = pbVectorCreate();
    pb::MonitorGuard guard(sortTableMonitor);
    for (PB_INT i = 0; i < pbDictLength(cs___SortDict); ++i) {
        auto rec = pb::adopt(cs___SortRecordFrom(pbDictValueAt(cs___SortDict, i)));
        auto sort = pb::adopt(cs___SortRecordPbSort(rec.get()));
        pbVectorAppendObj(&sorts, pbSortObj(sort.get()));
    }
    return sorts;
}

extern "C" PB_EXPORT PB_STORE* csSortNormalizeConfig(PB_SORT* sort, PB_STORE* config, PB_BOOL complete,
                                                     PB_BOOL includePrivateData) {
    PB_ASSERT(sort);
    PB_ASSERT(config);
    if (auto rec = pb::adopt(cs___SortTableRecordBySort(sort))) {
        if (PB_STORE* normalized = cs___SortRecordNormalizeConfig(rec.get(), config, complete, includePrivateData))
            return normalized;
    }
    return pbStoreCreate();
}
