// The layout of strings, for the containers of the pb library that compare
// string keys in their lookups: reading the code units directly spares a
// call per comparison.
#pragma once

#include "pb/pb_string.h"

struct PB_STRING {
    PB_OBJ obj;
    PB_INT length;    // code points in use
    PB_INT capacity;  // code points allocated
    PB_CHAR* chars;   // owned: right after the string in its allocation (short strings),
                      // or on the heap; NULL when capacity is 0
};

namespace pb {

inline const PB_CHAR* stringChars(const PB_STRING* s) { return s->chars; }
inline PB_INT stringLength(const PB_STRING* s) { return s->length; }

// Orders code point sequences: by the first code point that differs, else
// the shorter first. Returns <0, 0 or >0.
inline PB_INT compareChars(const PB_CHAR* a, PB_INT na, const PB_CHAR* b, PB_INT nb) {
    PB_INT n = na < nb ? na : nb;
    for (PB_INT i = 0; i < n; ++i) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return na < nb ? -1 : (na > nb ? 1 : 0);
}

// Two strings in code point order.
inline PB_INT compareStrings(const PB_STRING* a, const PB_STRING* b) {
    return compareChars(a->chars, a->length, b->chars, b->length);
}

}  // namespace pb
