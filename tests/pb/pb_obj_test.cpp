// The object model: one total order over objects of all sorts, the default
// string form, and immortal (static) objects; the runtime's memory blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/live_objects.hpp"
#include "support/text.hpp"

namespace {

using vtest::take;

// Compares by the first byte after the header; answers far outside -1..1.
PB_INT byTag(PB_OBJ* a, PB_OBJ* b) {
    return 100 * (PB_INT(reinterpret_cast<unsigned char*>(a + 1)[0]) - reinterpret_cast<unsigned char*>(b + 1)[0]);
}

PB_SORT_DEFINE(alphaSort, &pb___module, "TEST_ALPHA", nullptr, byTag, nullptr);
PB_SORT_DEFINE(betaSort, &pb___module, "TEST_BETA", nullptr, nullptr, nullptr);
PB_SORT_DEFINE(betaTwinSort, &pb___module, "TEST_BETA", nullptr, nullptr, nullptr);

pb::Ref<PB_OBJ> make(PB_SORT* sort, unsigned char tag = 0) {
    auto obj = pb::adopt(pbObjCreate(sizeof(PB_OBJ) + 1, sort));
    reinterpret_cast<unsigned char*>(obj.get() + 1)[0] = tag;
    return obj;
}

// NULL first; objects of different sorts by sort name, then by the sort's
// address (two sorts of one name); within a sort by its compare function
// (its answer brought to -1, 0 or 1), else by address.
TEST(PbObj, TotalOrderAcrossSorts) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto a1 = make(&alphaSort, 1), a1too = make(&alphaSort, 1), a2 = make(&alphaSort, 2);
    auto b = make(&betaSort), bOther = make(&betaSort), twin = make(&betaTwinSort);
    EXPECT_EQ(pbObjCompare(nullptr, nullptr), 0);
    EXPECT_EQ(pbObjCompare(nullptr, a1.get()), -1);
    EXPECT_EQ(pbObjCompare(a1.get(), nullptr), 1);
    EXPECT_EQ(pbObjCompare(a1.get(), a1too.get()), 0);
    EXPECT_TRUE(pbObjEquals(a1.get(), a1too.get()));
    EXPECT_EQ(pbObjCompare(a1.get(), a2.get()), -1);
    EXPECT_EQ(pbObjCompare(a2.get(), a1.get()), 1);
    // A sort name orders before a later one whatever the addresses.
    EXPECT_EQ(pbObjCompare(a2.get(), b.get()), -1);
    EXPECT_EQ(pbObjCompare(b.get(), a2.get()), 1);
    const PB_INT bySortAddress = &betaSort < &betaTwinSort ? -1 : 1;
    EXPECT_EQ(pbObjCompare(b.get(), twin.get()), bySortAddress);
    EXPECT_EQ(pbObjCompare(twin.get(), b.get()), -bySortAddress);
    EXPECT_EQ(pbObjCompare(b.get(), bOther.get()), b.get() < bOther.get() ? -1 : 1);
    EXPECT_EQ(pbObjCompare(bOther.get(), b.get()), -pbObjCompare(b.get(), bOther.get()));
    EXPECT_FALSE(pbObjEquals(b.get(), bOther.get()));
    // Sorts are objects too, ordered the same way.
    EXPECT_EQ(pbObjCompare(pbSortObj(&alphaSort), pbSortObj(&betaSort)), -1);
    EXPECT_EQ(pbObjCompare(pbSortObj(&betaTwinSort), pbSortObj(&betaSort)), -bySortAddress);
}

// Without a string function an object reads "<SORT_NAME 0x...>" with its
// address in hex; a sort reads as its name.
TEST(PbObj, StringFormNamesSortAndAddress) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto b = make(&betaSort);
    char expected[64];
    std::snprintf(expected, sizeof expected, "<TEST_BETA 0x%jx>", uintmax_t(reinterpret_cast<uintptr_t>(b.get())));
    EXPECT_EQ(take(pbObjToString(b.get())), expected);
    EXPECT_EQ(take(pbObjToString(pbSortObj(&betaSort))), "TEST_BETA");
    EXPECT_EQ(take(pbSortName(&alphaSort)), "TEST_ALPHA");
}

// Static objects are immortal: retain and release leave them (and the live
// counts) alone however often they run; created objects count and free.
TEST(PbObj, StaticObjectsAreImmortal) {
    VTEST_NO_LEAKS_IN_SCOPE();
    PB_OBJ* sort = pbSortObj(&alphaSort);
    const PB_INT total = pbObjLiveTotal();
    for (int i = 0; i < 3; ++i) pbObjRelease(sort);
    EXPECT_EQ(pbObjRetain(sort), sort);
    EXPECT_EQ(pbObjRefCount(sort), PB_INT_MAX);
    EXPECT_EQ(sort->refs, PB___OBJ_REFS_STATIC);
    EXPECT_EQ(pbObjLiveTotal(), total);
    {
        auto a = make(&alphaSort);
        EXPECT_EQ(pbObjRefCount(a.get()), 1);
        EXPECT_EQ(pbSortLiveCount(&alphaSort), 1);
        EXPECT_EQ(pbObjLiveTotal(), total + 1);
    }
    EXPECT_EQ(pbSortLiveCount(&alphaSort), 0);
}

// A block keeps its bytes while it grows past the size from which blocks
// are mappings of their own, grows further, and shrinks back.
TEST(PbMem, BlocksKeepTheirBytesAcrossGrowthAndShrinking) {
    const size_t sizes[] = {1000, size_t(6) << 20, size_t(24) << 20, 1000};
    auto* p = static_cast<unsigned char*>(pb___MemAlloc(sizes[0]));
    size_t filled = 0;
    for (size_t size : sizes) {
        p = static_cast<unsigned char*>(pb___MemRealloc(p, size));
        size_t kept = std::min(filled, size), wrong = 0;
        for (size_t i = 0; i < kept; ++i) wrong += p[i] != static_cast<unsigned char>(i * 7);
        EXPECT_EQ(wrong, 0u) << "at " << size;
        for (size_t i = kept; i < size; ++i) p[i] = static_cast<unsigned char>(i * 7);
        filled = size;
    }
    pb___MemFree(p);
    auto* large = static_cast<unsigned char*>(pb___MemAlloc(sizes[2]));
    large[sizes[2] - 1] = 1;
    pb___MemFree(large);
    pb___MemFree(nullptr);
}

}  // namespace
