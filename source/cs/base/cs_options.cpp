// The options class of the module: fields, copy-on-write setters, store form.
#include "cs/base/cs_options.h"

#include "cs/base/cs_module.h"
#include "cs/base/cs_store_keys.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_OPTIONS {
    PB_OBJ obj;
    PB_IDENTIFIER* systemIdentifier;  // never NULL; value object, shared read-only
    PB_STRING* comment;               // NULL when absent
    PB_BOOL includePrivateData;
    PB_BOOL maintenanceMode;
};

namespace {

void optionsFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_OPTIONS);
    auto* opt = reinterpret_cast<CS_OPTIONS*>(obj);
    pb::releaseField(opt->systemIdentifier);
    pb::releaseField(opt->comment);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_OPTIONS, &cs___module, "CS_OPTIONS", optionsFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csOptions, CS_OPTIONS, cs___sort_CS_OPTIONS)

extern "C" PB_EXPORT CS_OPTIONS* csOptionsCreate(PB_IDENTIFIER* systemIdentifier) {
    PB_ASSERT(systemIdentifier);
    auto* opt = reinterpret_cast<CS_OPTIONS*>(pb___ObjCreate(sizeof(CS_OPTIONS), &cs___sort_CS_OPTIONS));
    opt->systemIdentifier = pbIdentifierRetain(systemIdentifier);
    return opt;
}

extern "C" PB_EXPORT CS_OPTIONS* csOptionsCreateFrom(CS_OPTIONS* source) {
    PB_ASSERT(source);
    CS_OPTIONS* opt = csOptionsCreate(source->systemIdentifier);
    pb::setField(opt->comment, source->comment);
    opt->includePrivateData = source->includePrivateData;
    opt->maintenanceMode = source->maintenanceMode;
    return opt;
}

extern "C" PB_EXPORT PB_IDENTIFIER* csOptionsSystemIdentifier(CS_OPTIONS* opt) {
    PB_ASSERT(opt);
    return pbIdentifierRetain(opt->systemIdentifier);
}

extern "C" PB_EXPORT void csOptionsSetSystemIdentifier(CS_OPTIONS** opt, PB_IDENTIFIER* systemIdentifier) {
    PB_COW(opt, csOptionsCreateFrom);
    PB_ASSERT(systemIdentifier);
    pb::setField((*opt)->systemIdentifier, systemIdentifier);
}

extern "C" PB_EXPORT PB_STRING* csOptionsComment(CS_OPTIONS* opt) {
    PB_ASSERT(opt);
    return opt->comment ? pbStringRetain(opt->comment) : nullptr;
}

extern "C" PB_EXPORT PB_BOOL csOptionsHasComment(CS_OPTIONS* opt) {
    PB_ASSERT(opt);
    return opt->comment != nullptr;
}

extern "C" PB_EXPORT void csOptionsSetComment(CS_OPTIONS** opt, PB_STRING* comment) {
    PB_COW(opt, csOptionsCreateFrom);
    PB_ASSERT(comment);
    pb::setField((*opt)->comment, comment);
}

extern "C" PB_EXPORT void csOptionsDelComment(CS_OPTIONS** opt) {
    PB_COW(opt, csOptionsCreateFrom);
    pb::setField((*opt)->comment, static_cast<PB_STRING*>(nullptr));
}

extern "C" PB_EXPORT PB_BOOL csOptionsIncludePrivateData(CS_OPTIONS* opt) {
    PB_ASSERT(opt);
    return opt->includePrivateData;
}

extern "C" PB_EXPORT void csOptionsSetIncludePrivateData(CS_OPTIONS** opt, PB_BOOL includePrivateData) {
    PB_COW(opt, csOptionsCreateFrom);
    (*opt)->includePrivateData = includePrivateData != 0;
}

extern "C" PB_EXPORT PB_BOOL csOptionsMaintenanceMode(CS_OPTIONS* opt) {
    PB_ASSERT(opt);
    return opt->maintenanceMode;
}

extern "C" PB_EXPORT void csOptionsSetMaintenanceMode(CS_OPTIONS** opt, PB_BOOL maintenanceMode) {
    PB_COW(opt, csOptionsCreateFrom);
    (*opt)->maintenanceMode = maintenanceMode != 0;
}

extern "C" PB_EXPORT PB_STORE* csOptionsStore(CS_OPTIONS* opt) {
    PB_ASSERT(opt);
    PB_STORE* store = pbStoreCreate();
    auto id = pb::adopt(pbIdentifierString(opt->systemIdentifier));
    pbStoreSetValue(&store, cs::storeKeys().systemIdentifier, id.get());
    if (opt->comment) pbStoreSetValue(&store, cs::storeKeys().comment, opt->comment);
    pbStoreSetValueBool(&store, cs::storeKeys().includePrivateData, opt->includePrivateData);
    pbStoreSetValueBool(&store, cs::storeKeys().maintenanceMode, opt->maintenanceMode);
    return store;
}

extern "C" PB_EXPORT CS_OPTIONS* csOptionsTryRestore(PB_STORE* store) {
    PB_ASSERT(store);
    auto text = pb::adopt(pbStoreValue(store, cs::storeKeys().systemIdentifier));
    if (!text) return nullptr;
    auto id = pb::adopt(pbIdentifierTryCreateFromString(text.get()));
    if (!id) return nullptr;
    CS_OPTIONS* opt = csOptionsCreate(id.get());
    if (auto comment = pb::adopt(pbStoreValue(store, cs::storeKeys().comment)))
        csOptionsSetComment(&opt, comment.get());
    PB_BOOL flag;
    if (pbStoreValueBool(store, cs::storeKeys().includePrivateData, &flag)) csOptionsSetIncludePrivateData(&opt, flag);
    if (pbStoreValueBool(store, cs::storeKeys().maintenanceMode, &flag)) csOptionsSetMaintenanceMode(&opt, flag);
    return opt;
}
