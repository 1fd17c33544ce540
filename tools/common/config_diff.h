// The structural difference of two configuration stores: module and object
// entries added, removed and changed, with the keys that changed.
#pragma once

#include <string>
#include <vector>

#include "pb/pb_store.h"

namespace vorlix::tools {

struct EntryChange {
    std::string name;
    std::vector<std::string> keys;  // paths below the entry, "config/label"
};

struct PartDiff {
    std::vector<std::string> added, removed;
    std::vector<EntryChange> changed;
    bool empty() const { return added.empty() && removed.empty() && changed.empty(); }
};

struct ConfigDiff {
    PartDiff modules, objects;
    bool empty() const { return modules.empty() && objects.empty(); }
};

// The paths (joined by '/') under which a and b differ; either may be null.
std::vector<std::string> changedKeys(PB_STORE* a, PB_STORE* b);
// What turns part ("modules", "objects") of a into that of b.
PartDiff diffPart(PB_STORE* a, PB_STORE* b, const char* part);
// What turns a into b ("modules" and "objects"; the runtime's "info" and
// the list of sorts describe the process, not its configuration).
ConfigDiff diffConfigs(PB_STORE* a, PB_STORE* b);

// Human-readable and JSON forms, one line per entry.
std::string diffText(const ConfigDiff& diff);
std::string diffJson(const ConfigDiff& diff);

}  // namespace vorlix::tools
