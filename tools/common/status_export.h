// The status of every registered module and every named object, as one
// store (read as JSON) and as Prometheus text exposition.
#pragma once

#include <string>

#include "pb/pb_ref.hpp"
#include "pb/pb_store.h"

namespace vorlix::tools {

// { "modules": { name: { item: value } },
//   "objects": { name: { "sort": SORT, "status": { item: value } } } }
// Booleans, integers, strings and stores keep their type; a buffer is
// written as its base64 text. Objects whose sort reports no status have
// no "status".
pb::Ref<PB_STORE> statusStore();

// Boolean and integer items as gauges, one family per item name
// (vorlix_<item in snake case>), labelled module="..." or object="...".
std::string metricsText();

// "demoTicks" -> "demo_ticks"; characters a metric name cannot hold
// become '_'.
std::string metricName(const std::string& item);

}  // namespace vorlix::tools
