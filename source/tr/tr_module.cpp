// The trace library's module descriptor.
#include "tr/tr_module.h"

#include "pb/pb_product.h"

namespace {
const PB_MODULE_RECORD trRecord = {
    PB___PRODUCT_RECORD_FIELDS, "tr", "Trace", PB___MODULE_VERSION, "pb rfc", "cs"};
}

PB_MODULE_DEFINE(tr___module, &trRecord, nullptr, nullptr, nullptr, nullptr);
