// The encoding library's module descriptor.
#include "rfc/rfc_module.h"

#include "pb/pb_product.h"

namespace {
const PB_MODULE_RECORD rfcRecord = {
    PB___PRODUCT_RECORD_FIELDS, "rfc", "Encodings", PB___MODULE_VERSION, "pb", "tr cs"};
}

PB_MODULE_DEFINE(rfc___module, &rfcRecord, nullptr, nullptr, nullptr, nullptr);
