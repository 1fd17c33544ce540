// A minimal module library for runtime tests: its hooks write their names
// into a log that the test reads back.
#include <string>

#include "pb/pb_module.h"
#include "pb/pb_product.h"

namespace {

std::string hookLog;

const PB_MODULE_RECORD tinyRecord = {
    PB___PRODUCT_RECORD_FIELDS, "tinymod", "Runtime test module", "1.2.3", "pb rfc", ""};

PB_BOOL startup() {
    hookLog += "startup;";
    return PB_TRUE;
}
void halt() { hookLog += "halt;"; }
void shutdown() { hookLog += "shutdown;"; }
void finalRelease() { hookLog += "finalRelease;"; }

}  // namespace

extern "C" PB_EXPORT PB_MODULE tinymod___module;
PB_MODULE_DEFINE(tinymod___module, &tinyRecord, startup, halt, shutdown, finalRelease);

extern "C" PB_EXPORT const char* tinymod___Log(void) { return hookLog.c_str(); }
