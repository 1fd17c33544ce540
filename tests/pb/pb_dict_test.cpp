// Dictionaries: random edits against a model, snapshots through shared
// handles, key order across key kinds, positional access, concurrent readers
// and preconditions.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/live_objects.hpp"
#include "support/text.hpp"

namespace {

using Obj = pb::Ref<PB_OBJ>;

using vtest::strObj;

// A model key: an integer, or an object (integers first).
struct Key {
    Obj obj;
    PB_INT i = 0;
    bool operator<(const Key& o) const {
        if (!obj || !o.obj) return !obj && (o.obj || i < o.i);
        return pbObjCompare(obj.obj(), o.obj.obj()) < 0;
    }
};
using Model = std::map<Key, Obj>;

void expectMatches(PB_DICT* d, const Model& model) {
    ASSERT_EQ(pbDictLength(d), PB_INT(model.size()));
    PB_INT at = 0;
    for (const auto& [key, value] : model) {
        if (!key.obj) {
            ASSERT_TRUE(pbDictKeyIsIntAt(d, at));
            ASSERT_EQ(pbDictIntKeyAt(d, at), key.i);
        } else {
            ASSERT_FALSE(pbDictKeyIsIntAt(d, at));
            ASSERT_TRUE(pbObjEquals(pb::adopt(pbDictKeyAt(d, at)).obj(), key.obj.obj())) << at;
        }
        ASSERT_EQ(pb::adopt(pbDictValueAt(d, at)).get(), value.get()) << at;
        ++at;
    }
}

// Mixed integer and string keys until the tree is several levels deep,
// then mostly deletions; every shared handle keeps its value.
TEST(PbDict, RandomEditsMatchModelAndLeaveSnapshotsIntact) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::mt19937 rng(11);
    auto d = pb::adopt(pbDictCreate());
    Model model;
    std::vector<std::pair<pb::Ref<PB_DICT>, Model>> snapshots;
    for (int step = 0; step < 90000; ++step) {
        if (rng() % 5000 == 0) snapshots.emplace_back(d, model);
        bool growing = step < 60000;
        Key key;
        key.i = PB_INT(rng() % 40000) - 20000;
        if (rng() % 2) key.obj = strObj("k" + std::to_string(key.i));
        unsigned op = rng() % 10;
        if (op < (growing ? 7u : 2u)) {
            Obj value = strObj(std::to_string(step));
            if (!key.obj) pbDictSetIntKey(d.out(), key.i, value.get());
            else if (op % 2) pbDictSetStringKey(d.out(), pbStringFrom(key.obj.obj()), value.get());
            else pbDictSetStringKeyCstr(d.out(), ("k" + std::to_string(key.i)).c_str(), -1, value.get());
            model[key] = value;
        } else if (op < 9 || model.empty()) {
            if (!key.obj) pbDictDelIntKey(d.out(), key.i);
            else pbDictDelObjKey(d.out(), key.obj.obj());
            model.erase(key);
        } else {
            PB_INT at = PB_INT(rng() % model.size());
            Key atKey{pb::adopt(pbDictKeyAt(d.get(), at)), 0};
            if (!atKey.obj) atKey.i = pbDictIntKeyAt(d.get(), at);
            pbDictDelAt(d.out(), at);
            model.erase(atKey);
        }
        auto it = model.find(key);
        auto got = pb::adopt(key.obj ? pbDictObjKey(d.get(), key.obj.obj()) : pbDictIntKey(d.get(), key.i));
        ASSERT_EQ(got.get(), it == model.end() ? nullptr : it->second.get());
        if (step == 59999) {
            ASSERT_GT(model.size(), 20000u);
            expectMatches(d.get(), model);
        }
    }
    expectMatches(d.get(), model);
    ASSERT_GE(snapshots.size(), 10u);
    for (const auto& [snap, m] : snapshots) expectMatches(snap.get(), m);
}

// A dictionary swings between empty and a small tree, so that it moves
// between its small form and the tree both ways while snapshots share it.
// String keys share long prefixes and mix UTF-8 lengths, so that many
// differ only beyond what an entry's key summary holds.
TEST(PbDict, SwingsBetweenSmallFormAndTreeWithSnapshotsIntact) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::mt19937 rng(12);
    const char* prefixes[] = {"", "configuration-entry-"};
    const char* chars[] = {"a", "\xC3\xA4", "\xF0\x9F\x98\x80"};
    auto d = pb::adopt(pbDictCreate());
    Model model;
    std::vector<std::pair<pb::Ref<PB_DICT>, Model>> snapshots;
    for (int round = 0; round < 6; ++round) {
        bool growing = round % 2 == 0;
        while (growing ? model.size() < 50u + 50u * size_t(round) : !model.empty()) {
            if (rng() % 16 == 0) snapshots.emplace_back(d, model);
            Key key;
            key.i = PB_INT(rng() % 64);
            if (rng() % 4) {
                std::string text = prefixes[rng() % 2];
                for (unsigned n = 1 + rng() % 5; n > 0; --n) text += chars[rng() % 3];
                key.obj = strObj(text);
            }
            if (rng() % 4 != 0 ? growing : !growing) {
                Obj value = strObj(std::to_string(model.size()));
                if (key.obj) pbDictSetObjKey(d.out(), key.obj.obj(), value.get());
                else pbDictSetIntKey(d.out(), key.i, value.get());
                model[key] = value;
            } else if (!model.empty()) {
                auto victim = std::next(model.begin(), long(rng() % model.size()));
                if (victim->first.obj) pbDictDelObjKey(d.out(), victim->first.obj.obj());
                else pbDictDelIntKey(d.out(), victim->first.i);
                model.erase(victim);
            }
            auto it = model.find(key);
            auto got = pb::adopt(key.obj ? pbDictObjKey(d.get(), key.obj.obj()) : pbDictIntKey(d.get(), key.i));
            ASSERT_EQ(got.get(), it == model.end() ? nullptr : it->second.get());
        }
        expectMatches(d.get(), model);
    }
    for (const auto& [snap, m] : snapshots) expectMatches(snap.get(), m);
}

// Integers ascending, then objects by pbObjCompare: by sort name first
// (PB_DICT < PB_STRING < PB_VECTOR), strings by code point.
TEST(PbDict, OrdersIntegerKeysBeforeObjectKeys) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto d = pb::adopt(pbDictCreate());
    auto vecKey = pb::adopt(pbVectorCreate());
    auto dictKey = pb::adopt(pbDictCreate());
    auto v = strObj("v");
    pbDictSetObjKey(d.out(), pbVectorObj(vecKey.get()), v.get());
    pbDictSetStringKeyCstr(d.out(), "\xC3\xA9", -1, v.get());  // U+00E9
    pbDictSetStringKeyCstr(d.out(), "b", -1, v.get());
    pbDictSetIntKey(d.out(), 3, v.get());
    pbDictSetObjKey(d.out(), pbDictObj(dictKey.get()), v.get());
    pbDictSetStringKeyCstr(d.out(), "a", -1, v.get());
    pbDictSetIntKey(d.out(), PB_INT_MIN, v.get());
    ASSERT_EQ(pbDictLength(d.get()), 7);
    EXPECT_EQ(pbDictIntKeyAt(d.get(), 0), PB_INT_MIN);
    EXPECT_EQ(pbDictIntKeyAt(d.get(), 1), 3);
    EXPECT_EQ(pbDictKeyAt(d.get(), 1), nullptr);
    EXPECT_EQ(pb::adopt(pbDictKeyAt(d.get(), 2)).get(), pbDictObj(dictKey.get()));
    const char* strings[] = {"a", "b", "\xC3\xA9"};
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(pbObjEquals(pb::adopt(pbDictKeyAt(d.get(), 3 + i)).obj(), strObj(strings[i]).obj()));
    EXPECT_EQ(pb::adopt(pbDictKeyAt(d.get(), 6)).get(), pbVectorObj(vecKey.get()));
    // A string key is an object key: every form finds the same entry.
    pbDictSetObjKey(d.out(), strObj("b").obj(), strObj("w").obj());
    auto w = pb::adopt(pbDictStringKeyCstr(d.get(), "b", 1));
    EXPECT_TRUE(pbObjEquals(w.get(), strObj("w").obj()));
    EXPECT_TRUE(pbDictHasStringKey(d.get(), pbStringFrom(strObj("b").obj())));
    EXPECT_FALSE(pbDictHasStringKeyCstr(d.get(), "c", -1));
    EXPECT_FALSE(pbDictHasIntKey(d.get(), 4));
    EXPECT_EQ(pbDictIntKey(d.get(), 4), nullptr);
    pbDictDelStringKeyCstr(d.out(), "b", -1);
    EXPECT_EQ(pbDictLength(d.get()), 6);
}

TEST(PbDict, EqualsComparesKeysAndValues) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto a = pb::adopt(pbDictCreate()), b = pb::adopt(pbDictCreate());
    for (int i = 0; i < 100; ++i) pbDictSetIntKey(a.out(), i, strObj(std::to_string(i)).get());
    for (int i = 99; i >= 0; --i) pbDictSetIntKey(b.out(), i, strObj(std::to_string(i)).get());
    EXPECT_TRUE(pbDictEquals(a.get(), b.get()));  // equal by content, built apart
    PB_DICT* held = b.get();
    pbDictDelIntKey(b.out(), 1000);  // absent: no change, no copy
    EXPECT_EQ(b.get(), held);
    pbDictSetIntKey(b.out(), 50, strObj("x").get());
    EXPECT_FALSE(pbDictEquals(a.get(), b.get()));
    EXPECT_LT(pbDictCompare(a.get(), b.get()), 0);  // "50" < "x"
    pbDictDelIntKey(b.out(), 50);
    EXPECT_LT(pbDictCompare(a.get(), b.get()), 0);  // key 50 before key 51
    pbDictSetIntKey(b.out(), 50, strObj("50").get());
    pbDictDelIntKey(b.out(), 99);  // now a prefix of a: the shorter first, from either side
    EXPECT_GT(pbDictCompare(a.get(), b.get()), 0);
    EXPECT_LT(pbDictCompare(b.get(), a.get()), 0);
    pbDictClear(b.out());
    EXPECT_GT(pbDictCompare(a.get(), b.get()), 0);
    EXPECT_LT(pbDictCompare(b.get(), a.get()), 0);
}

// A dictionary stored into itself holds its former state; no cycle leaks.
TEST(PbDict, StoringIntoItselfKeepsTheOldValue) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto d = pb::adopt(pbDictCreate());
    PB_DICT* before = d.get();
    pbDictSetIntKey(d.out(), 1, pbDictObj(d.get()));
    pbDictSetObjKey(d.out(), pbDictObj(d.get()), pbDictObj(d.get()));
    ASSERT_EQ(pbDictLength(d.get()), 2);
    EXPECT_EQ(pb::adopt(pbDictIntKey(d.get(), 1)).get(), pbDictObj(before));
}

// A value may be changed in place only through a dictionary, a path and a
// value that nobody else holds.
TEST(PbDict, SoleValueOnlyWhenNothingIsShared) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto d = pb::adopt(pbDictCreate());
    Obj shared = strObj("v");
    for (int i = 0; i < 40; ++i) pbDictSetObjKey(d.out(), strObj("k" + std::to_string(i)).get(), shared.get());
    Obj key = strObj("k17");
    pbDictSetObjKey(d.out(), key.get(), strObj("own").get());
    PB_OBJ* sole = pb___DictSoleValueObjKey(d.get(), strObj("k17").get());
    ASSERT_TRUE(sole);
    EXPECT_EQ(sole, pb::adopt(pbDictObjKey(d.get(), key.get())).get());
    EXPECT_FALSE(pb___DictSoleValueObjKey(d.get(), strObj("k1").get()));  // its value is shared
    EXPECT_FALSE(pb___DictSoleValueObjKey(d.get(), strObj("absent").get()));
    {
        auto copy = d;  // the dictionary is shared
        EXPECT_FALSE(pb___DictSoleValueObjKey(d.get(), key.get()));
    }
    auto other = pb::adopt(pbDictCreateFrom(d.get()));  // its nodes are shared
    EXPECT_FALSE(pb___DictSoleValueObjKey(d.get(), key.get()));
    pbDictSetObjKey(other.out(), key.get(), shared.get());  // other copies its path: ours is sole again
    EXPECT_EQ(pb___DictSoleValueObjKey(d.get(), key.get()), sole);
}

// Readers on several threads share one dictionary while each changes its
// own copy; the shared one never changes.
TEST(PbDict, ThreadsShareOneValueAndChangeTheirOwnCopies) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto shared = pb::adopt(pbDictCreate());
    for (int i = 0; i < 5000; ++i) pbDictSetIntKey(shared.out(), i, strObj(std::to_string(i)).get());
    std::vector<std::thread> threads;
    std::vector<PB_INT> lengths(4);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            auto own = shared;
            for (int i = t; i < 5000; i += 4) {
                auto v = pb::adopt(pbDictIntKey(shared.get(), i));
                pbDictSetIntKey(own.out(), i + 5000, v.get());
                pbDictDelIntKey(own.out(), i);
            }
            lengths[size_t(t)] = pbDictLength(own.get());
        });
    }
    for (auto& th : threads) th.join();
    for (PB_INT n : lengths) EXPECT_EQ(n, 5000);
    ASSERT_EQ(pbDictLength(shared.get()), 5000);
    EXPECT_EQ(pbDictIntKeyAt(shared.get(), 4999), 4999);
}

TEST(PbDictDeathTest, PositionalPreconditions) {
    auto d = pb::adopt(pbDictCreate());
    pbDictSetStringKeyCstr(d.out(), "a", -1, strObj("v").get());
    EXPECT_DEATH(pbDictIntKeyAt(d.get(), 0), "pb_dict.cpp:[0-9]+: pbDictKeyIsIntAt\\(dict, index\\)");
    EXPECT_DEATH(pbDictValueAt(d.get(), 1), "pb_dict.cpp:[0-9]+: index >= 0 && index < dict->entries.size\\(\\)");
    EXPECT_DEATH(pbDictDelAt(d.out(), -1), "index >= 0 && index < \\(\\*dict\\)->entries.size\\(\\)");
}

}  // namespace
