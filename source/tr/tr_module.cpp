// The trace library's module descriptor.
#include "tr/tr_module.h"

namespace {
const PB_MODULE_RECORD trRecord = {
    2, "vorlix", "Vorlix Server", 4, 14, 21, "UTC 2026-08-14 08:30:04 (Friday)", "Vorlix",
    "Copyright Vorlix. All rights reserved.", "tr", "Trace", "6.0", "pb rfc", "cs"};
}

PB_MODULE_DEFINE(tr___module, &trRecord, nullptr, nullptr, nullptr, nullptr);
