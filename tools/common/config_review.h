// What applying a configuration store would pass over, and why.
//
// Applying never fails: an entry it cannot use is skipped in silence and so
// disappears from the next save. The host and the configuration tool name
// every such entry instead, by the same rules apply uses.
#pragma once

#include <string>
#include <vector>

#include "pb/pb_store.h"

namespace vorlix::tools {

struct SkippedEntry {
    std::string part;    // "modules" or "objects"
    std::string name;    // the entry's key
    std::string reason;  // why apply passes over it
};

std::vector<SkippedEntry> skippedEntries(PB_STORE* config);

// The names of the "modules" entries whose module is not loaded in this
// process (their configuration would be lost by a save).
std::vector<std::string> modulesNotLoaded(PB_STORE* config);

}  // namespace vorlix::tools
