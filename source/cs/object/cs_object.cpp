// Objects by sort: creation, configuration, status and trace through the
// sort table, creation with a wrapped fallback, and the record trace.
#include "cs/object/cs_object.h"
#include "cs/object/cs_object_record_trace.hpp"

#include "cs/base/cs_wrapped.h"
#include "cs/sort/cs_sort_table.h"
#include "pb/pb_name.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

namespace {

using SortRecord = pb::Ref<CS___SORT_RECORD>;

SortRecord recordOf(PB_OBJ* object) { return pb::adopt(cs___SortTableRecordBySort(pbObjSort(object))); }

// A new object of the named sort made without an anchor, or NULL.
PB_OBJ* tryCreateByName(PB_STRING* sortName, PB_STORE* config) {
    SortRecord rec = pb::adopt(cs___SortTableRecordBySortName(sortName));
    return rec ? cs___SortRecordTryCreate(rec.get(), config, nullptr) : nullptr;
}

}  // namespace

extern "C" PB_EXPORT PB_OBJ* csObjectTryCreateBySort(PB_SORT* sort, PB_STORE* config, TR_ANCHOR* anchor) {
    PB_ASSERT(sort);
    auto sortName = pb::adopt(pbSortName(sort));
    return csObjectTryCreateBySortName(sortName.get(), config, anchor);
}

extern "C" PB_EXPORT PB_OBJ* csObjectTryCreateBySortName(PB_STRING* sortName, PB_STORE* config, TR_ANCHOR* anchor) {
    SortRecord rec = pb::adopt(cs___SortTableRecordBySortName(sortName));
    return rec ? cs___SortRecordTryCreate(rec.get(), config, anchor) : nullptr;
}

extern "C" PB_EXPORT PB_STORE* csObjectConfig(PB_OBJ* object, PB_BOOL complete, PB_BOOL includePrivateData) {
    PB_ASSERT(object);
    PB_STORE* config = nullptr;
    if (SortRecord rec = recordOf(object)) config = cs___SortRecordConfig(rec.get(), object, complete, includePrivateData);
    return config ? config : pbStoreCreate();
}

extern "C" PB_EXPORT void csObjectSetConfig(PB_OBJ* object, PB_STORE* config) {
    PB_ASSERT(object);
    PB_ASSERT(config);
    if (SortRecord rec = recordOf(object)) cs___SortRecordSetConfig(rec.get(), object, config);
}

extern "C" PB_EXPORT CS_STATUS* csObjectStatus(PB_OBJ* object) {
    PB_ASSERT(object);
    SortRecord rec = recordOf(object);
    return rec ? cs___SortRecordStatus(rec.get(), object) : nullptr;
}

extern "C" PB_EXPORT void csObjectTraceCompleteAnchor(PB_OBJ* object, TR_ANCHOR* anchor) {
    PB_ASSERT(object);
    PB_ASSERT(anchor);
    if (SortRecord rec = recordOf(object)) cs___SortRecordTraceCompleteAnchor(rec.get(), object, anchor);
}

// The sort's own object when it makes one; otherwise a wrapped object of
// the fallback mode that keeps sortName and config, so gathering writes
// them out unchanged. A wrapped object of the fallback mode that the sort
// made (the entry was already wrapped) is opened one level when its inner
// sort makes the object now.
extern "C" PB_EXPORT PB_OBJ* cs___ObjectCreateWithFallback(PB_STRING* sortName, PB_STORE* config) {
    PB_ASSERT(pbNameUpperCaseOk( sortName, PB_TRUE ));
    if (PB_OBJ* object = tryCreateByName(sortName, config)) {
        if (pbObjSort(object) != csWrappedSort()) return object;
        auto options = pb::adopt(csWrappedOptions(csWrappedFrom(object)));
        if (csWrappedOptionsMode(options.get()) != CS_WRAPPED_MODE_FALLBACK) return object;
        auto innerSortName = pb::adopt(csWrappedOptionsSortName(options.get()));
        if (!innerSortName) return object;
        auto innerConfig = pb::adopt(csWrappedOptionsConfig(options.get()));
        PB_OBJ* inner = tryCreateByName(innerSortName.get(), innerConfig.get());
        if (!inner) return object;
        pbObjRelease(object);
        return inner;
    }
    auto options = pb::adopt(csWrappedOptionsCreate());
    csWrappedOptionsSetSortName(options.out(), sortName);
    csWrappedOptionsSetMode(options.out(), CS_WRAPPED_MODE_FALLBACK);
    if (config) csWrappedOptionsSetConfig(options.out(), config);
    return csWrappedObj(csWrappedCreate(options.get()));
}

TR_STREAM* cs::objectRecordTraceStream(CS_OBJECT_RECORD* rec, TR_ANCHOR* anchor, TR_MARK* mark) {
    PB_ASSERT(rec);
    TR_STREAM* stream = trStreamCreateCstr("CS_OBJECT_RECORD", -1);
    if (anchor) trAnchorComplete(anchor, stream);

    auto name = pb::adopt(csObjectRecordName(rec));
    trStreamSetPropertyCstrString(stream, "csObjectRecordName", -1, name.get());
    trStreamSetPropertyCstrBool(stream, "csObjectRecordVisible", -1, csObjectRecordVisible(rec));
    trStreamSetPropertyCstrBool(stream, "csObjectRecordProtected", -1, csObjectRecordProtected(rec));
    trStreamSetPropertyCstrBool(stream, "csObjectRecordTrMark", -1, csObjectRecordTrMark(rec));
    if (auto comment = pb::adopt(csObjectRecordComment(rec)))
        trStreamSetPropertyCstrString(stream, "csObjectRecordComment", -1, comment.get());
    auto metaData = pb::adopt(csObjectRecordMetaData(rec));
    trStreamSetPropertyCstrStore(stream, "csObjectRecordMetaData", -1, metaData.get());
    auto sortName = pb::adopt(pbSortToString(csObjectRecordObjectSort(rec)));
    trStreamSetPropertyCstrString(stream, "csObjectRecordObjectSort", -1, sortName.get());

    if (mark) trStreamSetExplicitMark(stream, mark);
    return stream;
}

void cs::objectRecordTraceLinkObject(CS_OBJECT_RECORD* rec, TR_STREAM* stream) {
    auto object = pb::adopt(csObjectRecordObject(rec));
    auto objectAnchor = pb::adopt(trAnchorCreate(stream, 12));
    csObjectTraceCompleteAnchor(object.get(), objectAnchor.get());
}

extern "C" PB_EXPORT TR_STREAM* cs___ObjectRecordTrace(CS_OBJECT_RECORD* rec, TR_ANCHOR* anchor, TR_MARK* mark) {
    TR_STREAM* stream = cs::objectRecordTraceStream(rec, anchor, mark);
    cs::objectRecordTraceLinkObject(rec, stream);
    return stream;
}
