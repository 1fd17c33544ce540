// Object creation, reference counting, comparison and the live-object count.
#include "pb/pb_obj.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "pb/pb_module.h"
#include "pb/pb_string.h"

namespace {

std::atomic<PB_SORT*> seenHead{nullptr};

std::atomic_ref<int32_t> refsOf(PB_OBJ* obj) { return std::atomic_ref<int32_t>(obj->refs); }

// Puts a sort on the list of sorts that have had objects (once).
void noteSeen(PB_SORT* sort) {
    std::atomic_ref<int32_t> seen(sort->seen);
    if (seen.load(std::memory_order_acquire)) return;
    int32_t expected = 0;
    if (!seen.compare_exchange_strong(expected, 1)) return;
    PB_SORT* head = seenHead.load();
    do {
        sort->nextSeen = head;
    } while (!seenHead.compare_exchange_weak(head, sort));
}

PB_INT sortCompare(PB_OBJ* a, PB_OBJ* b) {
    auto* sa = reinterpret_cast<PB_SORT*>(a);
    auto* sb = reinterpret_cast<PB_SORT*>(b);
    int c = std::strcmp(sa->name, sb->name);
    if (c) return c < 0 ? -1 : 1;
    return a < b ? -1 : 1;
}

PB_STRING* sortToString(PB_OBJ* obj) {
    return pbStringCreateFromCstr(reinterpret_cast<PB_SORT*>(obj)->name, -1);
}

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_SORT, &pb___module, "PB_SORT", nullptr, sortCompare, sortToString);

namespace {

// Blocks of kMappedFrom bytes and more (a file read whole, an encoded
// configuration) are mappings of their own, whatever allocator the program
// links: growing one moves its pages (mremap) where an allocator may copy
// them and for a while hold both, freeing one returns its pages at once,
// and it is paged in large pages where the kernel offers them. The
// mapping's length lies in a header before the block.
constexpr size_t kMappedFrom = size_t(4) << 20;
constexpr size_t kHeader = 64;

std::mutex mappedMutex;             // guards mappedBlocks
std::vector<void*> mappedBlocks;    // guarded by mappedMutex; the mapped blocks handed out
std::atomic<size_t> mappedCount{0}; // mappedBlocks.size(), read first without the lock

size_t mappingLength(size_t size) {
    size_t page = size_t(sysconf(_SC_PAGESIZE));
    return (size + kHeader + page - 1) / page * page;
}

char* baseOf(void* block) { return static_cast<char*>(block) - kHeader; }

// Registers the mapping at base (length bytes) and gives its block.
void* handOut(void* base, size_t length) {
    madvise(base, length, MADV_HUGEPAGE);  // advice only: refused where there are none
    *static_cast<size_t*>(base) = length;
    void* block = static_cast<char*>(base) + kHeader;
    std::lock_guard guard(mappedMutex);
    mappedBlocks.push_back(block);
    mappedCount.store(mappedBlocks.size(), std::memory_order_release);
    return block;
}

// A new mapping starts at a large-page boundary, so that large pages can
// back all of it: the slack mapped for aligning it is given back at once.
void* mapBlock(size_t size) {
    constexpr size_t kLargePage = size_t(2) << 20;
    size_t length = mappingLength(size);
    void* raw = mmap(nullptr, length + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    PB_ASSERT_CTX("out of memory", raw != MAP_FAILED);
    char* first = static_cast<char*>(raw);
    char* base = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(first) + kLargePage - 1) & ~(kLargePage - 1));
    if (base > first) munmap(first, size_t(base - first));
    if (size_t after = size_t(first + length + kLargePage - (base + length))) munmap(base + length, after);
    return handOut(base, length);
}

// Whether block is a mapped block; when forget, it is one no longer. A
// mapped block lies kHeader bytes into a page, so nearly every other block
// is told apart by its address alone, without the lock.
bool mapped(void* block, bool forget) {
    if (!block || (reinterpret_cast<uintptr_t>(block) & 4095) != kHeader) return false;
    if (mappedCount.load(std::memory_order_acquire) == 0) return false;
    std::lock_guard guard(mappedMutex);
    auto it = std::find(mappedBlocks.begin(), mappedBlocks.end(), block);
    if (it == mappedBlocks.end()) return false;
    if (forget) {
        *it = mappedBlocks.back();
        mappedBlocks.pop_back();
        mappedCount.store(mappedBlocks.size(), std::memory_order_release);
    }
    return true;
}

void unmapBlock(void* block) { munmap(baseOf(block), *reinterpret_cast<size_t*>(baseOf(block))); }

}  // namespace

extern "C" PB_EXPORT void* pb___MemAlloc(size_t size) {
    if (size >= kMappedFrom) return mapBlock(size);
    void* p = std::malloc(size ? size : 1);
    PB_ASSERT_CTX("out of memory", p);
    return p;
}

extern "C" PB_EXPORT void* pb___MemRealloc(void* ptr, size_t size) {
    if (!ptr) return pb___MemAlloc(size);
    if (mapped(ptr, true)) {
        size_t length = *reinterpret_cast<size_t*>(baseOf(ptr));
        if (size >= kMappedFrom) {
            void* base = mremap(baseOf(ptr), length, mappingLength(size), MREMAP_MAYMOVE);
            PB_ASSERT_CTX("out of memory", base != MAP_FAILED);
            return handOut(base, mappingLength(size));
        }
        void* p = pb___MemAlloc(size);
        std::memcpy(p, ptr, size);
        unmapBlock(ptr);
        return p;
    }
    if (size >= kMappedFrom) {
        void* p = mapBlock(size);
        std::memcpy(p, ptr, std::min(malloc_usable_size(ptr), size));
        std::free(ptr);
        return p;
    }
    void* p = std::realloc(ptr, size ? size : 1);
    PB_ASSERT_CTX("out of memory", p);
    return p;
}

extern "C" PB_EXPORT void pb___MemFree(void* ptr) {
    if (mapped(ptr, true)) unmapBlock(ptr);
    else std::free(ptr);
}

extern "C" PB_EXPORT PB_OBJ* pb___ObjCreate(size_t size, PB_SORT* sort) {
    PB_ASSERT(size >= sizeof(PB_OBJ));
    PB_ASSERT(sort);
    auto* obj = static_cast<PB_OBJ*>(std::calloc(1, size));
    PB_ASSERT_CTX("out of memory", obj);
    obj->sort = sort;
    obj->refs = 1;
    noteSeen(sort);
    std::atomic_ref<int64_t>(sort->liveCount).fetch_add(1, std::memory_order_relaxed);
    return obj;
}

extern "C" PB_EXPORT PB_OBJ* pbObjCreate(size_t size, PB_SORT* sort) { return pb___ObjCreate(size, sort); }

extern "C" PB_EXPORT void pb___ObjFree(PB_OBJ* obj) {
    PB_ASSERT(obj);
    PB_SORT* sort = obj->sort;
    if (sort->freeFunc) sort->freeFunc(obj);
    std::atomic_ref<int64_t>(sort->liveCount).fetch_sub(1, std::memory_order_relaxed);
    std::free(obj);
}

extern "C" PB_EXPORT PB_OBJ* pbObjRetain(PB_OBJ* obj) {
    PB_ASSERT(obj);
    auto refs = refsOf(obj);
    if (refs.load(std::memory_order_relaxed) == PB___OBJ_REFS_STATIC) return obj;
    int32_t before = refs.fetch_add(1, std::memory_order_relaxed);
    PB_ASSERT_CTX("retain of a freed object", before > 0);
    return obj;
}

// A successful try-retain acquires, where pbObjRetain is relaxed: a retain
// from a reference the caller holds is ordered after earlier writes by the
// way that reference reached the caller, but a pointer without a reference
// carries no such order beyond what its lock covers. Acquiring pairs with
// the release half of pbObjRelease's decrement, so whatever a holder did
// before it let go of its reference is visible to the new holder, as it
// would be to the thread that frees the object. Failure needs no order:
// the object is then not touched.
extern "C" PB_EXPORT PB_BOOL pb___ObjTryRetain(PB_OBJ* obj) {
    PB_ASSERT(obj);
    auto refs = refsOf(obj);
    int32_t n = refs.load(std::memory_order_relaxed);
    if (n == PB___OBJ_REFS_STATIC) return PB_TRUE;
    while (n > 0) {
        if (refs.compare_exchange_weak(n, n + 1, std::memory_order_acquire, std::memory_order_relaxed)) return PB_TRUE;
    }
    return PB_FALSE;
}

extern "C" PB_EXPORT void pbObjRelease(PB_OBJ* obj) {
    if (!obj) return;
    auto refs = refsOf(obj);
    if (refs.load(std::memory_order_relaxed) == PB___OBJ_REFS_STATIC) return;
    int32_t before = refs.fetch_sub(1, std::memory_order_acq_rel);
    PB_ASSERT_CTX("release of a freed object", before > 0);
    if (before == 1) pb___ObjFree(obj);
}

extern "C" PB_EXPORT PB_INT pbObjRefCount(PB_OBJ* obj) {
    PB_ASSERT(obj);
    int32_t refs = refsOf(obj).load(std::memory_order_acquire);
    return refs == PB___OBJ_REFS_STATIC ? PB_INT_MAX : refs;
}

extern "C" PB_EXPORT PB_SORT* pbObjSort(PB_OBJ* obj) {
    PB_ASSERT(obj);
    return obj->sort;
}

extern "C" PB_EXPORT PB_INT pbObjCompare(PB_OBJ* objA, PB_OBJ* objB) {
    if (objA == objB) return 0;
    if (!objA) return -1;
    if (!objB) return 1;
    PB_SORT* sa = objA->sort;
    PB_SORT* sb = objB->sort;
    if (sa != sb) return sortCompare(&sa->obj, &sb->obj);
    if (sa->compareFunc) {
        PB_INT c = sa->compareFunc(objA, objB);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    return objA < objB ? -1 : 1;
}

extern "C" PB_EXPORT PB_BOOL pbObjEquals(PB_OBJ* objA, PB_OBJ* objB) {
    return pbObjCompare(objA, objB) == 0;
}

extern "C" PB_EXPORT PB_STRING* pbObjToString(PB_OBJ* obj) {
    PB_ASSERT(obj);
    if (obj->sort->toStringFunc) return obj->sort->toStringFunc(obj);
    return pbStringCreateFromFormatCstr("<%lc 0x%p>", -1, obj->sort->name, (void*)obj);
}

extern "C" PB_EXPORT PB_OBJ* pbSortObj(PB_SORT* sort) { return reinterpret_cast<PB_OBJ*>(sort); }

extern "C" PB_EXPORT PB_SORT* pbSortFrom(PB_OBJ* obj) {
    PB_ASSERT(!obj || pbObjSort(obj)==&pb___sort_PB_SORT);
    return reinterpret_cast<PB_SORT*>(obj);
}

// Sort names are few and asked for per object: one shared string each.
extern "C" PB_EXPORT PB_STRING* pbSortName(PB_SORT* sort) {
    PB_ASSERT(sort);
    if (PB_STRING* shared = pb___StringInternCstr(sort->name, -1)) return shared;
    return pbStringCreateFromCstr(sort->name, -1);
}

extern "C" PB_EXPORT const char* pbSortNameCstr(PB_SORT* sort) {
    PB_ASSERT(sort);
    return sort->name;
}

extern "C" PB_EXPORT PB_STRING* pbSortToString(PB_SORT* sort) { return pbSortName(sort); }

extern "C" PB_EXPORT PB_MODULE* pbSortModule(PB_SORT* sort) {
    PB_ASSERT(sort);
    return sort->module;
}

extern "C" PB_EXPORT PB_INT pbSortLiveCount(PB_SORT* sort) {
    PB_ASSERT(sort);
    return std::atomic_ref<int64_t>(sort->liveCount).load(std::memory_order_relaxed);
}

// The sum over the sorts that have had objects: one counter less to change
// for each object made and freed.
extern "C" PB_EXPORT PB_INT pbObjLiveTotal(void) {
    PB_INT total = 0;
    for (PB_SORT* s = seenHead.load(); s; s = s->nextSeen) total += pbSortLiveCount(s);
    return total;
}

extern "C" PB_EXPORT void pbSortForEachSeen(void (*fn)(PB_SORT* sort, void* context), void* context) {
    for (PB_SORT* s = seenHead.load(); s; s = s->nextSeen) fn(s, context);
}
