// Reading one configuration file and saying exactly what is wrong with it.
#pragma once

#include <string>

#include "pb/pb_ref.hpp"
#include "pb/pb_store.h"

namespace vorlix::tools {

struct ConfigFile {
    pb::Ref<PB_STORE> store;  // null when the file is unusable
    std::string headerType;   // empty for a headerless store
    std::string error;        // what is wrong, when store is null
};

// Reads path: a store with header type "CS_CONFIG", or a headerless store
// (accepted as the configuration loader accepts it).
ConfigFile readConfigFile(const std::string& path);

// Writes config to path with the "CS_CONFIG" header; false on failure.
bool writeConfigFile(PB_STORE* config, const std::string& path);

}  // namespace vorlix::tools
