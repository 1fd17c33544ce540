// Update records: a date, an update function and its argument.
#include "cs/update/cs_update_record.h"

#include "cs/base/cs_module.h"
#include "pb/pb_stdfunc.hpp"

struct CS___UPDATE_RECORD {
    PB_OBJ obj;
    PB_TIME* time;              // set once at creation, like every field; never NULL
    CS_UPDATE_FUNC updateFunc;  // never NULL
    PB_OBJ* argument;           // retained, or NULL
};

namespace {

void updateRecordFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS___UPDATE_RECORD);
    auto* record = reinterpret_cast<CS___UPDATE_RECORD*>(obj);
    pb::releaseField(record->time);
    pb::releaseField(record->argument);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS___UPDATE_RECORD, &cs___module, "CS___UPDATE_RECORD", updateRecordFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(cs___UpdateRecord, CS___UPDATE_RECORD, cs___sort_CS___UPDATE_RECORD)

extern "C" PB_EXPORT CS___UPDATE_RECORD* cs___UpdateRecordCreate(PB_TIME* time, CS_UPDATE_FUNC updateFunc,
                                                                 PB_OBJ* argument) {
    PB_ASSERT(time);
    PB_ASSERT(updateFunc);
    auto* record = reinterpret_cast<CS___UPDATE_RECORD*>(
        pb___ObjCreate(sizeof(CS___UPDATE_RECORD), &cs___sort_CS___UPDATE_RECORD));
    record->time = pbTimeRetain(time);
    record->updateFunc = updateFunc;
    pb::setField(record->argument, argument);
    return record;
}

extern "C" PB_EXPORT PB_TIME* cs___UpdateRecordTime(CS___UPDATE_RECORD* record) {
    PB_ASSERT(record);
    return pbTimeRetain(record->time);
}

extern "C" PB_EXPORT void cs___UpdateRecordUpdate(CS___UPDATE_RECORD* record, CS_UPDATE** update) {
    PB_ASSERT(record);
    PB_ASSERT(update);
    PB_ASSERT(*update);
    record->updateFunc(record->argument, update);
    PB_ASSERT(*update);
}
