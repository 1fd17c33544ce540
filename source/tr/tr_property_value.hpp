// Property value operations shared with the stream source.
#pragma once

#include "tr/tr_property_value.h"

namespace tr {

// Gives a boolean or integer value that its holder alone references a new
// scalar in place, sparing the allocation of a fresh value. False, with
// value unchanged, when it is of another type or someone else holds it.
bool propertyValueReuseScalar(TR_PROPERTY_VALUE* value, PB_INT type, PB_INT scalar);

}  // namespace tr
