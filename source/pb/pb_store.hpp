// Fast in-order reading of stores for code inside the pb library (the encoding).
//
// pbStoreAddressAt and friends cost O(log n) per call (and a new string per
// array address); pb::storeForEach walks all entries in O(n) and lends each
// one without taking references:
//
//     pb::storeForEach( store, []( const pb::StoreEntryView& e, void* ctx ) {
//         ... e.key (NULL in arrays), e.type, e.number, e.string, e.store ...
//     }, ctx );
#pragma once

#include <vector>

#include "pb/pb_mem_allocator.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_store.h"
#include "pb/pb_string.hpp"

namespace pb {

// One entry as lent by storeForEach; valid while the store is held unchanged.
struct StoreEntryView {
    PB_INT index;       // position 0..length-1
    PB_STRING* key;     // the address in a map store; NULL in an array store (the index is the address)
    PB_INT type;        // PB_STORE_TYPE_STRING, _INT, _BOOL or _STORE
    PB_INT number;      // the value of an int entry, or of a bool entry as 0 or 1
    PB_STRING* string;  // the value of a string entry, else NULL
    PB_STORE* store;    // the value of a store entry, else NULL
};

// Calls fn( entry, context ) for every entry in position order.
void storeForEach(PB_STORE* store, void (*fn)(const StoreEntryView& entry, void* context), void* context);

// One entry for storeCreateFromEntries: key (map stores only), type, and the
// value in number (int, bool as 0 or 1) or object (string, store); hints
// are the key's summary (pb::stringHints) when the caller has it.
struct StoreBuildEntry {
    Ref<PB_STRING> key;
    PB_INT type;
    PB_INT number;
    Ref<PB_OBJ> object;
    StringHints hints;
};
using StoreBuildEntries = std::vector<StoreBuildEntry, MemAllocator<StoreBuildEntry>>;

// A new store holding entries, built in one pass (the decoder's way in).
// Map entries are put in key order; the result is NULL when a key is not a
// valid address or occurs twice. The entries are moved from. checked: the
// caller vouches that the keys are valid addresses in strictly increasing
// order and has filled in their hints. order, when given with checked,
// lists the entries' indexes in key order.
PB_STORE* storeCreateFromEntries(bool array, StoreBuildEntries& entries, bool checked = false,
                                 const uint32_t* order = nullptr);

}  // namespace pb
