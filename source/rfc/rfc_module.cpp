// The encoding library's module descriptor.
#include "rfc/rfc_module.h"

namespace {
const PB_MODULE_RECORD rfcRecord = {
    2, "vorlix", "Vorlix Server", 4, 14, 21, "UTC 2026-08-14 08:30:04 (Friday)", "Vorlix",
    "Copyright Vorlix. All rights reserved.", "rfc", "Encodings", "6.0", "pb", "tr cs"};
}

PB_MODULE_DEFINE(rfc___module, &rfcRecord, nullptr, nullptr, nullptr, nullptr);
