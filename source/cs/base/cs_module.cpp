// The module "cs": descriptor, record, version marker and lifecycle hooks.
#include "cs/base/cs_module.h"

extern "C" {

const PB_MODULE_RECORD cs___module_record = {
    2,
    "vorlix",
    "Vorlix Server",
    4,
    14,
    21,
    "UTC 2026-08-14 08:30:04 (Friday)",
    "Vorlix",
    "Copyright Vorlix. All rights reserved.",
    "cs",
    "Configuration and Status",
    "6.0",
    "pb rfc tr",
    "db ipc net",
};

const char* const cs___module_version_string =
    "###VQ_VERSION### vorlix-4.14.21 (Windows, x86 (64 bit), Release), cs 6.0";

}  // extern "C"

namespace {

PB_BOOL startup() { return PB_TRUE; }
void halt() {}
void shutdown() {}
void finalRelease() {}

}  // namespace

PB_MODULE_DEFINE(cs___module, &cs___module_record, startup, halt, shutdown, finalRelease);

extern "C" PB_EXPORT PB_MODULE* csModule(void) { return &cs___module; }
