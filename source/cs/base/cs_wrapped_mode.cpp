// Wrapped modes: the table of their literal names.
#include "cs/base/cs_wrapped_mode.h"

#include "pb/pb_enum.h"
#include "pb/pb_stdfunc.hpp"

// Module-wide state: NULL before start-up, all-ones after shutdown. Built
// once at start-up and then only read, so it needs no lock.
namespace {
PB_ENUM* modeEnum = nullptr;
}  // namespace

extern "C" PB_EXPORT void cs___WrappedModeStartup(void) {
    modeEnum = pbEnumCreate();
    pbEnumSetEnumerantCstr(&modeEnum, "CS_WRAPPED_MODE_FALLBACK", -1, CS_WRAPPED_MODE_FALLBACK);
    pbEnumSetEnumerantCstr(&modeEnum, "CS_WRAPPED_MODE_DISABLED", -1, CS_WRAPPED_MODE_DISABLED);
    pbEnumSetEnumerantCstr(&modeEnum, "CS_WRAPPED_MODE_DISABLED_HERE", -1,
                           CS_WRAPPED_MODE_DISABLED_HERE);
}

extern "C" PB_EXPORT void cs___WrappedModeShutdown(void) { pb::releaseField(modeEnum); }

extern "C" PB_EXPORT PB_STRING* csWrappedModeToString(PB_INT mode) {
    PB_ASSERT(CS_WRAPPED_MODE_OK( mode ));
    return pbEnumGenerate(modeEnum, mode);
}

extern "C" PB_EXPORT PB_INT csWrappedModeFromString(PB_STRING* string) {
    PB_ASSERT(string);
    return pbEnumParse(modeEnum, string);
}
