// Optional integer bounds, the state of the counter and rate limits.
//
// Each bound is set (with a value) or unset (value 0) and is written to
// the limits' store under its key when set. CS___BOUND_DEFINE writes the
// four public functions of one bound (Has, the value, Set, Del); a Set
// with a precondition states it as the macro's last argument.
#pragma once

#include <array>
#include <cstddef>

#include "pb/pb_store.h"
#include "pb/pb_stdfunc.hpp"

namespace cs {

struct Bound {
    PB_BOOL has;
    PB_INT value;  // 0 while unset
};

template <size_t N>
struct Bounds {
    Bound bound[N];

    // The store of the set bounds, each under its key.
    PB_STORE* store(const std::array<PB_STRING*, N>& keys) const {
        PB_STORE* store = pbStoreCreate();
        for (size_t b = 0; b < N; ++b)
            if (bound[b].has) pbStoreSetValueInt(&store, keys[b], bound[b].value);
        return store;
    }

    // Sets each bound whose key holds an integer that accept takes.
    template <class Accept>
    void restore(PB_STORE* store, const std::array<PB_STRING*, N>& keys, Accept accept) {
        for (size_t b = 0; b < N; ++b) {
            PB_INT value;
            if (pbStoreValueInt(store, keys[b], &value) && accept(value)) bound[b] = Bound{PB_TRUE, value};
        }
    }
};

}  // namespace cs

// For p = csRateLimits, TYPE = CS_RATE_LIMITS (with a field bounds),
// Name = MinSecond and index b: p##HasMinSecond, p##MinSecond,
// p##SetMinSecond (copy-on-write, then the optional precondition on value)
// and p##DelMinSecond.
#define CS___BOUND_DEFINE(p, TYPE, Name, b, ...) \
    extern "C" PB_EXPORT PB_BOOL p##Has##Name(TYPE* lim) { \
        PB_ASSERT(lim); \
        return lim->bounds.bound[b].has; \
    } \
    extern "C" PB_EXPORT PB_INT p##Name(TYPE* lim) { \
        PB_ASSERT(lim); \
        return lim->bounds.bound[b].value; \
    } \
    extern "C" PB_EXPORT void p##Set##Name(TYPE** lim, PB_INT value) { \
        PB_COW(lim, p##CreateFrom); \
        __VA_ARGS__; \
        (*lim)->bounds.bound[b] = cs::Bound{PB_TRUE, value}; \
    } \
    extern "C" PB_EXPORT void p##Del##Name(TYPE** lim) { \
        PB_COW(lim, p##CreateFrom); \
        (*lim)->bounds.bound[b] = cs::Bound{PB_FALSE, 0}; \
    }
