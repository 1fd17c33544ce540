// Sort records: a configurable sort's callbacks, checked and forwarded.
#include "cs/sort/cs_sort_record.h"

#include "cs/base/cs_module.h"
#include "pb/pb_stdfunc.hpp"

struct CS___SORT_RECORD {
    PB_OBJ obj;
    PB_SORT* pbSort;  // set once at creation, like every field
    CS_SORT_TRY_CREATE_FUNC tryCreateFunc;
    CS_SORT_CONFIG_FUNC configFunc;
    CS_SORT_SET_CONFIG_FUNC setConfigFunc;
    CS_SORT_NORMALIZE_CONFIG_FUNC normalizeConfigFunc;
    CS_SORT_STATUS_FUNC statusFunc;
    CS_SORT_TRACE_COMPLETE_ANCHOR_FUNC traceCompleteAnchorFunc;
    PB_OBJ* context;  // retained, or NULL
};

namespace {

void sortRecordFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS___SORT_RECORD);
    auto* rec = reinterpret_cast<CS___SORT_RECORD*>(obj);
    pb::releaseField(rec->pbSort);
    pb::releaseField(rec->context);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS___SORT_RECORD, &cs___module, "CS___SORT_RECORD", sortRecordFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(cs___SortRecord, CS___SORT_RECORD, cs___sort_CS___SORT_RECORD)

extern "C" PB_EXPORT CS___SORT_RECORD* cs___SortRecordCreate(
    PB_SORT* sort, CS_SORT_TRY_CREATE_FUNC tryCreate, CS_SORT_CONFIG_FUNC config, CS_SORT_SET_CONFIG_FUNC setConfig,
    CS_SORT_NORMALIZE_CONFIG_FUNC normalizeConfig, CS_SORT_STATUS_FUNC status,
    CS_SORT_TRACE_COMPLETE_ANCHOR_FUNC traceCompleteAnchor, PB_OBJ* context) {
    PB_ASSERT(sort);
    auto* rec = reinterpret_cast<CS___SORT_RECORD*>(
        pb___ObjCreate(sizeof(CS___SORT_RECORD), &cs___sort_CS___SORT_RECORD));
    pb::setField(rec->pbSort, sort);
    rec->tryCreateFunc = tryCreate;
    rec->configFunc = config;
    rec->setConfigFunc = setConfig;
    rec->normalizeConfigFunc = normalizeConfig;
    rec->statusFunc = status;
    rec->traceCompleteAnchorFunc = traceCompleteAnchor;
    pb::setField(rec->context, context);
    return rec;
}

extern "C" PB_EXPORT PB_SORT* cs___SortRecordPbSort(CS___SORT_RECORD* rec) {
    PB_ASSERT(rec);
    return pbSortFrom(pbObjRetain(pbSortObj(rec->pbSort)));
}

extern "C" PB_EXPORT PB_OBJ* cs___SortRecordTryCreate(CS___SORT_RECORD* rec, PB_STORE* config, TR_ANCHOR* anchor) {
    PB_ASSERT(rec);
    return rec->tryCreateFunc ? rec->tryCreateFunc(rec->context, config, anchor) : nullptr;
}

extern "C" PB_EXPORT PB_STORE* cs___SortRecordConfig(CS___SORT_RECORD* rec, PB_OBJ* object, PB_BOOL complete,
                                                     PB_BOOL includePrivateData) {
    PB_ASSERT(rec);
    PB_ASSERT(object);
    PB_ASSERT(pbObjSort( object ) == rec->pbSort);
    if (!rec->configFunc) return nullptr;
    return rec->configFunc(rec->context, object, complete != 0, includePrivateData != 0);
}

extern "C" PB_EXPORT void cs___SortRecordSetConfig(CS___SORT_RECORD* rec, PB_OBJ* object, PB_STORE* config) {
    PB_ASSERT(rec);
    PB_ASSERT(object);
    PB_ASSERT(pbObjSort( object ) == rec->pbSort);
    PB_ASSERT(config);
    if (rec->setConfigFunc) rec->setConfigFunc(rec->context, object, config);
}

extern "C" PB_EXPORT CS_STATUS* cs___SortRecordStatus(CS___SORT_RECORD* rec, PB_OBJ* object) {
    PB_ASSERT(rec);
    PB_ASSERT(object);
    PB_ASSERT(pbObjSort( object ) == rec->pbSort);
    return rec->statusFunc ? rec->statusFunc(rec->context, object) : nullptr;
}

extern "C" PB_EXPORT void cs___SortRecordTraceCompleteAnchor(CS___SORT_RECORD* rec, PB_OBJ* object,
                                                             TR_ANCHOR* anchor) {
    PB_ASSERT(rec);
    PB_ASSERT(object);
    PB_ASSERT(pbObjSort( object ) == rec->pbSort);
    PB_ASSERT(anchor);
    if (rec->traceCompleteAnchorFunc) rec->traceCompleteAnchorFunc(rec->context, object, anchor);
}

extern "C" PB_EXPORT PB_STORE* cs___SortRecordNormalizeConfig(CS___SORT_RECORD* rec, PB_STORE* config,
                                                              PB_BOOL complete, PB_BOOL includePrivateData) {
    PB_ASSERT(rec);
    PB_ASSERT(config);
    if (!rec->normalizeConfigFunc) return nullptr;
    return rec->normalizeConfigFunc(rec->context, config, complete != 0, includePrivateData != 0);
}
