// A standard allocator over the runtime's memory, for scratch lists that
// may grow large: blocks of megabytes are then mappings of their own, in
// large pages and given back at once (see pb___MemAlloc), not fresh 4 KB
// pages of the allocator for each use.
#pragma once

#include <cstddef>

#include "pb/pb_obj.h"

namespace pb {

template <class T>
struct MemAllocator {
    using value_type = T;
    MemAllocator() = default;
    template <class U>
    MemAllocator(const MemAllocator<U>&) noexcept {}
    T* allocate(size_t n) { return static_cast<T*>(pb___MemAlloc(n * sizeof(T))); }
    void deallocate(T* p, size_t) noexcept { pb___MemFree(p); }
    friend bool operator==(const MemAllocator&, const MemAllocator&) { return true; }
};

}  // namespace pb
