// Status item types: the table of their literal names.
#include "cs/status/cs_status_item_type.h"

#include "pb/pb_enum.h"
#include "pb/pb_stdfunc.hpp"

// Module-wide state: NULL before start-up, all-ones after shutdown. Built
// once at start-up and then only read, so it needs no lock.
namespace {
PB_ENUM* typeEnum = nullptr;
}  // namespace

extern "C" PB_EXPORT void cs___StatusItemTypeStartup(void) {
    typeEnum = pbEnumCreate();
    pbEnumSetEnumerantCstr(&typeEnum, "CS_STATUS_ITEM_TYPE_BOOL", -1, CS_STATUS_ITEM_TYPE_BOOL);
    pbEnumSetEnumerantCstr(&typeEnum, "CS_STATUS_ITEM_TYPE_INT", -1, CS_STATUS_ITEM_TYPE_INT);
    pbEnumSetEnumerantCstr(&typeEnum, "CS_STATUS_ITEM_TYPE_STRING", -1, CS_STATUS_ITEM_TYPE_STRING);
    pbEnumSetEnumerantCstr(&typeEnum, "CS_STATUS_ITEM_TYPE_STORE", -1, CS_STATUS_ITEM_TYPE_STORE);
    pbEnumSetEnumerantCstr(&typeEnum, "CS_STATUS_ITEM_TYPE_BUFFER", -1, CS_STATUS_ITEM_TYPE_BUFFER);
}

extern "C" PB_EXPORT void cs___StatusItemTypeShutdown(void) { pb::releaseField(typeEnum); }

extern "C" PB_EXPORT PB_STRING* csStatusItemTypeToString(PB_INT type) {
    PB_ASSERT(CS_STATUS_ITEM_TYPE_OK( type ));
    return pbEnumGenerate(typeEnum, type);
}

extern "C" PB_EXPORT PB_INT csStatusItemTypeFromString(PB_STRING* string) {
    PB_ASSERT(string);
    return pbEnumParse(typeEnum, string);
}
