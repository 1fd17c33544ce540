// Store headers: the type name carried by an encoded store.
#include "pb/pb_store_header.h"

#include "pb/pb_module.h"
#include "pb/pb_name.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_string.h"

struct PB_STORE_HEADER {
    PB_OBJ obj;
    PB_STRING* type;  // set once at creation
};

namespace {

void headerFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_STORE_HEADER);
    pb::releaseField(reinterpret_cast<PB_STORE_HEADER*>(obj)->type);
}

PB_INT headerCompare(PB_OBJ* a, PB_OBJ* b) {
    return pbStringCompare(reinterpret_cast<PB_STORE_HEADER*>(a)->type, reinterpret_cast<PB_STORE_HEADER*>(b)->type);
}

PB_STRING* headerToString(PB_OBJ* obj) { return pbStringRetain(reinterpret_cast<PB_STORE_HEADER*>(obj)->type); }

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_STORE_HEADER, &pb___module, "PB_STORE_HEADER", headerFree, headerCompare,
               headerToString);
PB_STDFUNCS_DEFINE(pbStoreHeader, PB_STORE_HEADER, pb___sort_PB_STORE_HEADER)

extern "C" PB_EXPORT PB_STORE_HEADER* pbStoreHeaderCreate(PB_STRING* type) {
    PB_ASSERT(pbNameUpperCaseOk( type, PB_TRUE ));
    auto* h = reinterpret_cast<PB_STORE_HEADER*>(pb___ObjCreate(sizeof(PB_STORE_HEADER), &pb___sort_PB_STORE_HEADER));
    h->type = pbStringRetain(type);
    return h;
}

extern "C" PB_EXPORT PB_STORE_HEADER* pbStoreHeaderCreateCstr(const char* type, PB_INT length) {
    PB_ASSERT(type);
    auto s = pb::adopt(pbStringCreateFromCstr(type, length));
    return pbStoreHeaderCreate(s.get());
}

extern "C" PB_EXPORT PB_STRING* pbStoreHeaderType(PB_STORE_HEADER* header) {
    PB_ASSERT(header);
    return pbStringRetain(header->type);
}

extern "C" PB_EXPORT PB_BOOL pbStoreHeaderIsType(PB_STORE_HEADER* header, PB_STRING* type) {
    PB_ASSERT(header);
    PB_ASSERT(type);
    return pbStringEquals(header->type, type);
}

extern "C" PB_EXPORT PB_BOOL pbStoreHeaderIsTypeCstr(PB_STORE_HEADER* header, const char* type, PB_INT length) {
    PB_ASSERT(header);
    PB_ASSERT(type);
    return pbStringEqualsCstr(header->type, type, length);
}
