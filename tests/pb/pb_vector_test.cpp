// Vectors: random edits against a model, snapshots through shared handles,
// structural sharing, ordering and preconditions.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/live_objects.hpp"
#include "support/text.hpp"

namespace {

using Obj = pb::Ref<PB_OBJ>;
using Model = std::vector<PB_OBJ*>;  // borrowed: the test keeps every object it made

using vtest::strObj;

// Holds exactly the model's objects (by identity), in order.
void expectMatches(PB_VECTOR* v, const Model& model) {
    ASSERT_EQ(pbVectorLength(v), PB_INT(model.size()));
    for (size_t i = 0; i < model.size(); ++i) {
        auto got = pb::adopt(pbVectorObjAt(v, PB_INT(i)));
        ASSERT_EQ(got.get(), model[i]) << "at " << i;
    }
}

struct Snapshot {
    pb::Ref<PB_VECTOR> vec;
    Model model;
};

// Grows the vector to tens of thousands of elements (a tree four levels
// deep), then shrinks it to nothing, taking shared handles on the way.
TEST(PbVector, RandomEditsMatchModelAndLeaveSnapshotsIntact) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::mt19937 rng(7);
    auto v = pb::adopt(pbVectorCreate());
    Model model;
    std::vector<Obj> made;
    std::vector<Snapshot> snapshots;
    for (int phase = 0; phase < 2; ++phase) {
        bool growing = phase == 0;
        for (int step = 0; step < 60000 && (growing || !model.empty()); ++step) {
            auto n = PB_INT(model.size());
            unsigned op = rng() % 10;
            // Shares the tree; often while the vector is small (a single leaf)
            // or crosses into a tree and back.
            if (rng() % (n < 100 ? 8 : 4000) == 0) snapshots.push_back({v, model});
            bool insert = n == 0 || (growing && op < 7);
            bool set = !insert && (growing ? op == 7 : op < 2);
            if (insert) {
                PB_OBJ* o = made.emplace_back(strObj("e" + std::to_string(made.size()))).obj();
                PB_INT at = n ? PB_INT(rng() % (n + 1)) : 0;
                if (op == 0) at = n, pbVectorAppendObj(v.out(), o);
                else if (op == 1) at = 0, pbVectorPrependObj(v.out(), o);
                else pbVectorInsertObj(v.out(), at, o);
                model.insert(model.begin() + at, o);
            } else if (set) {
                PB_INT at = PB_INT(rng() % n);
                PB_OBJ* o = made.emplace_back(strObj("s" + std::to_string(made.size()))).obj();
                pbVectorSetObjAt(v.out(), at, o);
                model[size_t(at)] = o;
            } else {
                PB_INT at = op == 8 ? n - 1 : PB_INT(rng() % n);
                pbVectorDelAt(v.out(), at);
                model.erase(model.begin() + at);
            }
        }
        expectMatches(v.get(), model);
    }
    ASSERT_GE(snapshots.size(), 10u);
    for (const auto& s : snapshots) expectMatches(s.vec.get(), s.model);
}

// A change to a shared vector copies one leaf, not the elements: only the
// changed leaf's objects gain a holder.
TEST(PbVector, ChangeToSharedVectorCopiesOnlyOnePath) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::vector<Obj> made;
    auto v = pb::adopt(pbVectorCreate());
    for (int i = 0; i < 10000; ++i) {
        made.push_back(strObj(std::to_string(i)));
        pbVectorAppendObj(v.out(), made.back().get());
    }
    auto snapshot = v;
    auto replacement = strObj("new");
    pbVectorSetObjAt(v.out(), 5000, replacement.get());
    ASSERT_NE(v.get(), snapshot.get());
    int heldTwice = 0;
    for (const auto& o : made) heldTwice += pbObjRefCount(o.obj()) > 2;  // the test + two leaves
    EXPECT_GT(heldTwice, 0);
    EXPECT_LE(heldTwice, 32);
    EXPECT_EQ(pbObjRefCount(made[5000].obj()), 2);  // the test and the snapshot's leaf
    Model model;
    for (const auto& o : made) model.push_back(o.get());
    expectMatches(snapshot.get(), model);
}

TEST(PbVector, ComparesElementwiseThenByLength) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto a = pb::adopt(pbVectorCreate()), b = pb::adopt(pbVectorCreate());
    for (const char* s : {"a", "b"}) pbVectorAppendObj(a.out(), strObj(s).get());
    for (const char* s : {"a", "b", "a"}) pbVectorAppendObj(b.out(), strObj(s).get());
    EXPECT_LT(pbVectorCompare(a.get(), b.get()), 0);  // a prefix first, from either side
    EXPECT_GT(pbVectorCompare(b.get(), a.get()), 0);
    EXPECT_EQ(pbVectorIndexOfObj(b.get(), strObj("b").get()), 1);
    EXPECT_EQ(pbVectorIndexOfObj(b.get(), strObj("c").get()), -1);
    pbVectorDelAt(b.out(), 2);
    EXPECT_TRUE(pbVectorEquals(a.get(), b.get()));  // equal by content, built apart
    pbVectorSetObjAt(b.out(), 0, strObj("0").get());
    EXPECT_GT(pbVectorCompare(a.get(), b.get()), 0);
    EXPECT_TRUE(pbVectorContainsOnly(a.get(), pbStringSort()));
    pbVectorAppendObj(a.out(), pbVectorObj(b.get()));
    EXPECT_FALSE(pbVectorContainsOnly(a.get(), pbStringSort()));
    pbVectorClear(a.out());
    EXPECT_TRUE(pbVectorContainsOnly(a.get(), pbVectorSort()));
}

// A vector appended to itself holds its former state; no cycle leaks.
TEST(PbVector, AppendingToItselfKeepsTheOldValue) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto v = pb::adopt(pbVectorCreate());
    pbVectorAppendObj(v.out(), strObj("x").get());
    PB_VECTOR* before = v.get();
    pbVectorAppendObj(v.out(), pbVectorObj(v.get()));
    ASSERT_EQ(pbVectorLength(v.get()), 2);
    auto inner = pb::adopt(pbVectorObjAt(v.get(), 1));
    EXPECT_EQ(inner.get(), pbVectorObj(before));
    EXPECT_EQ(pbVectorLength(pbVectorFrom(inner.get())), 1);
}

TEST(PbVectorDeathTest, PositionsMustLieInTheVector) {
    auto v = pb::adopt(pbVectorCreate());
    auto x = strObj("x");
    pbVectorAppendObj(v.out(), x.get());
    EXPECT_DEATH(pbVectorObjAt(v.get(), 1), "pb_vector.cpp:[0-9]+: index >= 0 && index < vec->elements.size\\(\\)");
    EXPECT_DEATH(pbVectorInsertObj(v.out(), 2, x.get()), "index >= 0 && index <= \\(\\*vec\\)->elements.size\\(\\)");
    EXPECT_DEATH(pbVectorDelAt(v.out(), -1), "index >= 0 && index < \\(\\*vec\\)->elements.size\\(\\)");
}

}  // namespace
