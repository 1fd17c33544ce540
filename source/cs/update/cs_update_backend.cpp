// Update backends: registering an update for as long as the handle lives.
#include "cs/update/cs_update_backend.h"

#include "cs/base/cs_module.h"
#include "cs/update/cs_update_table.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_UPDATE_BACKEND {
    PB_OBJ obj;
    CS___UPDATE_RECORD* record;  // set once at creation; registered while the backend lives
};

namespace {

void updateBackendFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_UPDATE_BACKEND);
    auto* backend = reinterpret_cast<CS_UPDATE_BACKEND*>(obj);
    cs___UpdateTableDelRecord(backend->record);
    pb::releaseField(backend->record);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_UPDATE_BACKEND, &cs___module, "CS_UPDATE_BACKEND", updateBackendFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(csUpdateBackend, CS_UPDATE_BACKEND, cs___sort_CS_UPDATE_BACKEND)

extern "C" PB_EXPORT CS_UPDATE_BACKEND* csUpdateBackendCreate(PB_TIME* time, CS_UPDATE_FUNC updateFunc,
                                                              PB_OBJ* argument) {
    CS___UPDATE_RECORD* record = cs___UpdateRecordCreate(time, updateFunc, argument);
    cs___UpdateTableAddRecord(record);
    auto* backend = reinterpret_cast<CS_UPDATE_BACKEND*>(
        pb___ObjCreate(sizeof(CS_UPDATE_BACKEND), &cs___sort_CS_UPDATE_BACKEND));
    backend->record = record;
    return backend;
}

extern "C" PB_EXPORT CS_UPDATE_BACKEND* csUpdateBackendCreateCstr(const char* date, PB_INT length,
                                                                  CS_UPDATE_FUNC updateFunc, PB_OBJ* argument) {
    PB_ASSERT(date);
    auto time = pb::adopt(pbTimeTryCreateFromCstr(date, length));
    PB_ASSERT(time);
    return csUpdateBackendCreate(time.get(), updateFunc, argument);
}

extern "C" PB_EXPORT CS_UPDATE_BACKEND* csUpdateBackendCreateWcstr(const wchar_t* date, PB_INT length,
                                                                   CS_UPDATE_FUNC updateFunc, PB_OBJ* argument) {
    PB_ASSERT(date);
    auto text = pb::adopt(pbStringCreateFromWcstr(date, length));
    auto time = pb::adopt(pbTimeTryCreateFromString(text.get()));
    PB_ASSERT(time);
    return csUpdateBackendCreate(time.get(), updateFunc, argument);
}
