// The layout of an object entry in a configuration's "objects" store, in
// one table of keys:
//
//     "sort"       the object's upper-case sort name
//     "visible"    boolean
//     "protected"  boolean
//     "trMark"     boolean: whether the object's trace is marked
//     "comment"    string, only when the object has one
//     "metaData"   store
//     "config"     store: the object's own configuration
//
// The configuration reads and writes every key; updates rewrite entries
// without "trMark" (cs/update/cs_update_object.h). Each user makes its
// table once at start-up (its keys made by cs::storeKey) and deletes it at
// shutdown.
#pragma once

#include "cs/base/cs_store_keys.hpp"

namespace cs {

struct ObjectEntryKeys {
    static pb::Ref<PB_STRING> key(const char* text) { return storeKey(text); }

    const pb::Ref<PB_STRING> sort = key("sort");
    const pb::Ref<PB_STRING> visible = key("visible");
    const pb::Ref<PB_STRING> protectedFlag = key("protected");
    const pb::Ref<PB_STRING> trMark = key("trMark");
    const pb::Ref<PB_STRING> comment = key("comment");
    const pb::Ref<PB_STRING> metaData = key("metaData");
    const pb::Ref<PB_STRING> config = key("config");
};

}  // namespace cs
