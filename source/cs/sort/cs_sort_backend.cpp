// Sort backends: registering a sort for as long as the handle lives.
#include "cs/sort/cs_sort_backend.h"

#include "cs/base/cs_module.h"
#include "cs/sort/cs_sort_table.h"
#include "pb/pb_stdfunc.hpp"

struct CS_SORT_BACKEND {
    PB_OBJ obj;
    CS___SORT_RECORD* record;  // set once at creation; registered while the backend lives
};

namespace {

void sortBackendFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_SORT_BACKEND);
    auto* backend = reinterpret_cast<CS_SORT_BACKEND*>(obj);
    cs___SortTableDelRecord(backend->record);
    pb::releaseField(backend->record);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_SORT_BACKEND, &cs___module, "CS_SORT_BACKEND", sortBackendFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csSortBackend, CS_SORT_BACKEND, cs___sort_CS_SORT_BACKEND)

extern "C" PB_EXPORT CS_SORT_BACKEND* csSortBackendCreate(
    PB_SORT* sort, CS_SORT_TRY_CREATE_FUNC tryCreate, CS_SORT_CONFIG_FUNC config, CS_SORT_SET_CONFIG_FUNC setConfig,
    CS_SORT_NORMALIZE_CONFIG_FUNC normalizeConfig, CS_SORT_STATUS_FUNC status,
    CS_SORT_TRACE_COMPLETE_ANCHOR_FUNC traceCompleteAnchor, PB_OBJ* context) {
    CS___SORT_RECORD* record =
        cs___SortRecordCreate(sort, tryCreate, config, setConfig, normalizeConfig, status, traceCompleteAnchor, context);
    cs___SortTableAddRecord(record);
    auto* backend =
        reinterpret_cast<CS_SORT_BACKEND*>(pb___ObjCreate(sizeof(CS_SORT_BACKEND), &cs___sort_CS_SORT_BACKEND));
    backend->record = record;
    return backend;
}
