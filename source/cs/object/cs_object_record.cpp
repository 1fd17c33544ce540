// Object records: the value class of the object table's entries.
#include "cs/object/cs_object_record.h"

#include "cs/base/cs_module.h"
#include "pb/pb_identifier.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_OBJECT_RECORD {
    PB_OBJ obj;
    PB_STRING* name;     // never NULL; value object, shared read-only
    PB_OBJ* object;      // never NULL; retained
    PB_BOOL visible;
    PB_BOOL isProtected;
    PB_BOOL trMark;
    PB_STRING* comment;  // NULL when absent
    PB_STORE* metaData;  // never NULL; value object, shared read-only
};

namespace {

void recordFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_OBJECT_RECORD);
    auto* rec = reinterpret_cast<CS_OBJECT_RECORD*>(obj);
    pb::releaseField(rec->name);
    pb::releaseField(rec->object);
    pb::releaseField(rec->comment);
    pb::releaseField(rec->metaData);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_OBJECT_RECORD, &cs___module, "CS_OBJECT_RECORD", recordFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csObjectRecord, CS_OBJECT_RECORD, cs___sort_CS_OBJECT_RECORD)

extern "C" PB_EXPORT CS_OBJECT_RECORD* csObjectRecordCreate(PB_STRING* name, PB_OBJ* object) {
    PB_ASSERT(csObjectRecordNameOk( name ));
    PB_ASSERT(object);
    auto* rec = reinterpret_cast<CS_OBJECT_RECORD*>(
        pb___ObjCreate(sizeof(CS_OBJECT_RECORD), &cs___sort_CS_OBJECT_RECORD));
    rec->name = pbStringRetain(name);
    rec->object = pbObjRetain(object);
    rec->visible = PB_TRUE;
    rec->metaData = pbStoreCreate();
    return rec;
}

extern "C" PB_EXPORT CS_OBJECT_RECORD* csObjectRecordCreateWithRandomName(PB_OBJ* object) {
    auto name = pb::adopt(csObjectRecordNameRandom());
    return csObjectRecordCreate(name.get(), object);
}

extern "C" PB_EXPORT CS_OBJECT_RECORD* csObjectRecordCreateFrom(CS_OBJECT_RECORD* source) {
    PB_ASSERT(source);
    CS_OBJECT_RECORD* rec = csObjectRecordCreate(source->name, source->object);
    rec->visible = source->visible;
    rec->isProtected = source->isProtected;
    rec->trMark = source->trMark;
    pb::setField(rec->comment, source->comment);
    pb::setField(rec->metaData, source->metaData);
    return rec;
}

extern "C" PB_EXPORT PB_BOOL csObjectRecordNameOk(PB_STRING* name) { return pbStoreAddressOk(name); }

extern "C" PB_EXPORT PB_STRING* csObjectRecordNameRandom(void) {
    auto identifier = pb::adopt(pbIdentifierCreate());
    return pbStringCreateFromFormatCstr("%~o", -1, pbIdentifierObj(identifier.get()));
}

extern "C" PB_EXPORT PB_STRING* csObjectRecordName(CS_OBJECT_RECORD* rec) {
    PB_ASSERT(rec);
    return pbStringRetain(rec->name);
}

extern "C" PB_EXPORT void csObjectRecordSetName(CS_OBJECT_RECORD** rec, PB_STRING* name) {
    PB_COW(rec, csObjectRecordCreateFrom);
    PB_ASSERT(csObjectRecordNameOk( name ));
    pb::setField((*rec)->name, name);
}

extern "C" PB_EXPORT void csObjectRecordSetNameRandom(CS_OBJECT_RECORD** rec) {
    auto name = pb::adopt(csObjectRecordNameRandom());
    csObjectRecordSetName(rec, name.get());
}

extern "C" PB_EXPORT PB_OBJ* csObjectRecordObject(CS_OBJECT_RECORD* rec) {
    PB_ASSERT(rec);
    return pbObjRetain(rec->object);
}

extern "C" PB_EXPORT void csObjectRecordSetObject(CS_OBJECT_RECORD** rec, PB_OBJ* object) {
    PB_COW(rec, csObjectRecordCreateFrom);
    PB_ASSERT(object);
    pb::setField((*rec)->object, object);
}

extern "C" PB_EXPORT PB_SORT* csObjectRecordObjectSort(CS_OBJECT_RECORD* rec) {
    PB_ASSERT(rec);
    return pbObjSort(rec->object);
}

extern "C" PB_EXPORT PB_BOOL csObjectRecordVisible(CS_OBJECT_RECORD* rec) {
    PB_ASSERT(rec);
    return rec->visible;
}

extern "C" PB_EXPORT void csObjectRecordSetVisible(CS_OBJECT_RECORD** rec, PB_BOOL visible) {
    PB_COW(rec, csObjectRecordCreateFrom);
    (*rec)->visible = visible != 0;
}

extern "C" PB_EXPORT PB_BOOL csObjectRecordProtected(CS_OBJECT_RECORD* rec) {
    PB_ASSERT(rec);
    return rec->isProtected;
}

extern "C" PB_EXPORT void csObjectRecordSetProtected(CS_OBJECT_RECORD** rec, PB_BOOL isProtected) {
    PB_COW(rec, csObjectRecordCreateFrom);
    (*rec)->isProtected = isProtected != 0;
}

extern "C" PB_EXPORT PB_BOOL csObjectRecordTrMark(CS_OBJECT_RECORD* rec) {
    PB_ASSERT(rec);
    return rec->trMark;
}

extern "C" PB_EXPORT void csObjectRecordSetTrMark(CS_OBJECT_RECORD** rec, PB_BOOL trMark) {
    PB_COW(rec, csObjectRecordCreateFrom);
    (*rec)->trMark = trMark != 0;
}

extern "C" PB_EXPORT PB_STRING* csObjectRecordComment(CS_OBJECT_RECORD* rec) {
    PB_ASSERT(rec);
    return rec->comment ? pbStringRetain(rec->comment) : nullptr;
}

extern "C" PB_EXPORT PB_BOOL csObjectRecordHasComment(CS_OBJECT_RECORD* rec) {
    PB_ASSERT(rec);
    return rec->comment != nullptr;
}

extern "C" PB_EXPORT void csObjectRecordSetComment(CS_OBJECT_RECORD** rec, PB_STRING* comment) {
    PB_COW(rec, csObjectRecordCreateFrom);
    PB_ASSERT(comment);
    pb::setField((*rec)->comment, comment);
}

extern "C" PB_EXPORT void csObjectRecordDelComment(CS_OBJECT_RECORD** rec) {
    PB_COW(rec, csObjectRecordCreateFrom);
    pb::setField((*rec)->comment, static_cast<PB_STRING*>(nullptr));
}

extern "C" PB_EXPORT PB_STORE* csObjectRecordMetaData(CS_OBJECT_RECORD* rec) {
    PB_ASSERT(rec);
    return pbStoreRetain(rec->metaData);
}

extern "C" PB_EXPORT void csObjectRecordSetMetaData(CS_OBJECT_RECORD** rec, PB_STORE* metaData) {
    PB_COW(rec, csObjectRecordCreateFrom);
    PB_ASSERT(metaData);
    pb::setField((*rec)->metaData, metaData);
}
