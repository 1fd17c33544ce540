// The table of (name, value) pairs behind enums and flagsets.
#pragma once

#include <utility>
#include <vector>

#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_string.h"

namespace pb {

// Names in the order they were set; a name appears once (setting it again
// replaces its value). Small: enums and flagsets have a handful of names.
class NameTable {
public:
    void set(PB_STRING* name, PB_INT value) {
        for (auto& [n, v] : entries_) {
            if (pbStringEquals(n.get(), name)) { v = value; return; }
        }
        entries_.emplace_back(pb::retain(name), value);
    }
    // The value of a name, or fallback.
    PB_INT valueOf(PB_STRING* name, PB_INT fallback) const {
        for (const auto& [n, v] : entries_)
            if (pbStringEquals(n.get(), name)) return v;
        return fallback;
    }
    // The first name set with value, or NULL.
    PB_STRING* nameOf(PB_INT value) const {
        for (const auto& [n, v] : entries_)
            if (v == value) return n.get();
        return nullptr;
    }
    const std::vector<std::pair<Ref<PB_STRING>, PB_INT>>& entries() const { return entries_; }

private:
    std::vector<std::pair<Ref<PB_STRING>, PB_INT>> entries_;
};

// The object side of a value class that is one name table: T is
// { PB_OBJ obj; NameTable* table; } (owned; changed only while unshared)
// of the sort Sort. Gives the sort's free function, Create and CreateFrom.
template <class T, PB_SORT& Sort>
struct NameTableObject {
    static void free(PB_OBJ* obj) {
        PB_SORT_CHECK(obj, Sort);
        auto* t = reinterpret_cast<T*>(obj);
        delete t->table;
        t->table = nullptr;
    }
    static T* create() {
        auto* t = reinterpret_cast<T*>(pb___ObjCreate(sizeof(T), &Sort));
        t->table = new NameTable();
        return t;
    }
    static T* createFrom(T* source) {
        PB_ASSERT(source);
        T* t = create();
        *t->table = *source->table;
        return t;
    }
};

}  // namespace pb
