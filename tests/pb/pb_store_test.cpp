// Stores: random edits of map and array stores (made entry by entry or
// decoded whole) against a model, snapshots through shared handles, typed
// reads, the address rule, ordering and preconditions.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/live_objects.hpp"
#include "support/store_text.hpp"
#include "support/text.hpp"

namespace {

using Store = pb::Ref<PB_STORE>;

using vtest::str;
using vtest::utf8;

// A model value: its type, an int/bool, or a string or sub-store.
struct Value {
    PB_INT type;
    PB_INT number = 0;
    pb::Ref<PB_OBJ> obj;
};

Value randomValue(std::mt19937& rng, int serial) {
    Value v{PB_INT(rng() % 4), 0, nullptr};
    if (v.type == PB_STORE_TYPE_STRING) v.obj = pb::adopt(pbStringObj(pbStringCreateFromCstr(std::to_string(serial).c_str(), -1)));
    if (v.type == PB_STORE_TYPE_INT) v.number = serial;
    if (v.type == PB_STORE_TYPE_BOOL) v.number = serial % 2;
    if (v.type == PB_STORE_TYPE_STORE) {
        Store sub = pb::adopt(pbStoreCreateArray());
        pbStoreAppendValueInt(sub.out(), serial);
        v.obj = pb::adopt(pbStoreObj(sub.leak()));
    }
    return v;
}

void setByKey(Store& s, const std::string& key, const Value& v, bool cstr) {
    auto k = str(key);
    const char* c = key.c_str();
    switch (v.type) {
    case PB_STORE_TYPE_STRING:
        cstr ? pbStoreSetValueCstr(s.out(), c, -1, pbStringFrom(v.obj.obj())) : pbStoreSetValue(s.out(), k.get(), pbStringFrom(v.obj.obj()));
        break;
    case PB_STORE_TYPE_INT:
        cstr ? pbStoreSetValueIntCstr(s.out(), c, -1, v.number) : pbStoreSetValueInt(s.out(), k.get(), v.number);
        break;
    case PB_STORE_TYPE_BOOL:
        cstr ? pbStoreSetValueBoolCstr(s.out(), c, -1, PB_BOOL(v.number)) : pbStoreSetValueBool(s.out(), k.get(), PB_BOOL(v.number));
        break;
    default:
        cstr ? pbStoreSetStoreCstr(s.out(), c, -1, pbStoreFrom(v.obj.obj())) : pbStoreSetStore(s.out(), k.get(), pbStoreFrom(v.obj.obj()));
    }
}

void setAt(Store& s, PB_INT at, const Value& v) {
    if (v.type == PB_STORE_TYPE_STRING) pbStoreSetValueAt(s.out(), at, pbStringFrom(v.obj.obj()));
    if (v.type == PB_STORE_TYPE_INT) pbStoreSetValueIntAt(s.out(), at, v.number);
    if (v.type == PB_STORE_TYPE_BOOL) pbStoreSetValueBoolAt(s.out(), at, PB_BOOL(v.number));
    if (v.type == PB_STORE_TYPE_STORE) pbStoreSetStoreAt(s.out(), at, pbStoreFrom(v.obj.obj()));
}

void append(Store& s, const Value& v) {
    if (v.type == PB_STORE_TYPE_STRING) pbStoreAppendValue(s.out(), pbStringFrom(v.obj.obj()));
    if (v.type == PB_STORE_TYPE_INT) pbStoreAppendValueInt(s.out(), v.number);
    if (v.type == PB_STORE_TYPE_BOOL) pbStoreAppendValueBool(s.out(), PB_BOOL(v.number));
    if (v.type == PB_STORE_TYPE_STORE) pbStoreAppendStore(s.out(), pbStoreFrom(v.obj.obj()));
}

// The entry at position at holds v, and only the getter of v's type reads it.
void expectValueAt(PB_STORE* s, PB_INT at, const Value& v) {
    ASSERT_EQ(pbStoreTypeAt(s, at), v.type);
    auto string = pb::adopt(pbStoreValueAt(s, at));
    auto sub = pb::adopt(pbStoreStoreAt(s, at));
    PB_INT i = -7;
    PB_BOOL b = -7;
    EXPECT_EQ(pbStoreValueIntAt(s, at, &i), v.type == PB_STORE_TYPE_INT);
    EXPECT_EQ(pbStoreValueBoolAt(s, at, &b), v.type == PB_STORE_TYPE_BOOL);
    EXPECT_EQ(i, v.type == PB_STORE_TYPE_INT ? v.number : -7);
    EXPECT_EQ(b, v.type == PB_STORE_TYPE_BOOL ? v.number : -7);
    EXPECT_EQ(pbStringObj(string.get()), v.type == PB_STORE_TYPE_STRING ? v.obj.get() : nullptr);
    EXPECT_EQ(pbStoreObj(sub.get()), v.type == PB_STORE_TYPE_STORE ? v.obj.get() : nullptr);
}

using MapModel = std::map<std::string, Value>;  // UTF-8 byte order is code point order

void expectMatches(PB_STORE* s, const MapModel& model) {
    ASSERT_FALSE(pbStoreIsArray(s));
    ASSERT_EQ(pbStoreLength(s), PB_INT(model.size()));
    PB_INT at = 0;
    for (const auto& [key, v] : model) {
        ASSERT_EQ(utf8(pb::adopt(pbStoreAddressAt(s, at)).get()), key);
        ASSERT_NO_FATAL_FAILURE(expectValueAt(s, at++, v));
    }
}

void expectArrayMatches(PB_STORE* a, const std::vector<Value>& model) {
    ASSERT_TRUE(pbStoreIsArray(a));
    ASSERT_EQ(pbStoreLength(a), PB_INT(model.size()));
    for (size_t i = 0; i < model.size(); ++i) ASSERT_NO_FATAL_FAILURE(expectValueAt(a, PB_INT(i), model[i]));
}

// Tens of thousands of keys (some not ASCII) of all four types, through
// both key forms; then mostly deletions. Shared handles keep their values.
TEST(PbStore, MapRandomEditsMatchModelAndLeaveSnapshotsIntact) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::mt19937 rng(5);
    Store s = pb::adopt(pbStoreCreate());
    MapModel model;
    std::vector<std::pair<Store, MapModel>> snapshots;
    for (int step = 0; step < 80000; ++step) {
        if (rng() % 5000 == 0) snapshots.emplace_back(s, model);
        std::string key = (rng() % 8 ? "k" : "\xC3\xA4 k") + std::to_string(rng() % 40000);
        unsigned op = rng() % 10;
        if (op < (step < 50000 ? 7u : 2u)) {
            Value v = randomValue(rng, step);
            setByKey(s, key, v, op % 2);
            model[key] = v;
        } else if (op < 9 || model.empty()) {
            op % 2 ? pbStoreDelCstr(s.out(), key.c_str(), -1) : pbStoreDel(s.out(), str(key).get());
            model.erase(key);
        } else {
            PB_INT at = PB_INT(rng() % model.size());
            model.erase(utf8(pb::adopt(pbStoreAddressAt(s.get(), at)).get()));
            pbStoreDelAt(s.out(), at);
        }
        auto it = model.find(key);
        ASSERT_EQ(pbStoreTypeCstr(s.get(), key.c_str(), -1), it == model.end() ? PB_STORE_TYPE_NONE : it->second.type);
        if (step == 49999) {
            ASSERT_GT(model.size(), 20000u);
        }
    }
    expectMatches(s.get(), model);
    ASSERT_GE(snapshots.size(), 10u);
    for (const auto& [snap, m] : snapshots) expectMatches(snap.get(), m);
}

// A store swings between empty and a few levels of tree, so that it moves
// between its small form and the tree both ways while snapshots share it.
// Keys share long prefixes and mix one- to four-byte UTF-8 characters, so
// that they often differ only beyond what an entry's key summary holds.
TEST(PbStore, MapSwingsBetweenSmallFormAndTreeWithSnapshotsIntact) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::mt19937 rng(8);
    const char* prefixes[] = {"", "ab", "configuration-entry-"};
    const char* chars[] = {"a", "z", "\xC3\xA4", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
    Store s = pb::adopt(pbStoreCreate());
    MapModel model;
    std::vector<std::pair<Store, MapModel>> snapshots;
    for (int round = 0; round < 8; ++round) {
        bool growing = round % 2 == 0;
        size_t target = growing ? 40u + 40u * size_t(round) : 0u;
        while (growing ? model.size() < target : !model.empty()) {
            if (rng() % 16 == 0) snapshots.emplace_back(s, model);
            std::string key = prefixes[rng() % 3];
            for (unsigned n = 1 + rng() % 4; n > 0; --n) key += chars[rng() % 5];
            if (rng() % 4 != 0 ? growing : !growing) {
                Value v = randomValue(rng, int(model.size()));
                setByKey(s, key, v, rng() % 2);
                model[key] = v;
            } else if (!model.empty()) {
                auto victim = std::next(model.begin(), long(rng() % model.size()));
                pbStoreDelCstr(s.out(), victim->first.c_str(), -1);
                model.erase(victim);
            }
            auto it = model.find(key);
            ASSERT_EQ(pbStoreTypeCstr(s.get(), key.c_str(), -1), it == model.end() ? PB_STORE_TYPE_NONE : it->second.type);
        }
        expectMatches(s.get(), model);
    }
    ASSERT_GE(snapshots.size(), 20u);
    for (const auto& [snap, m] : snapshots) expectMatches(snap.get(), m);
}

TEST(PbStore, ArrayRandomEditsMatchModelAndLeaveSnapshotsIntact) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::mt19937 rng(6);
    Store s = pb::adopt(pbStoreCreateArray());
    std::vector<Value> model;
    std::vector<std::pair<Store, std::vector<Value>>> snapshots;
    for (int step = 0; step < 30000; ++step) {
        if (rng() % 3000 == 0) snapshots.emplace_back(s, model);
        unsigned op = rng() % 10;
        Value v = randomValue(rng, step);
        if (op < 6 || model.empty()) {
            append(s, v);
            model.push_back(v);
            continue;
        }
        size_t at = rng() % model.size();
        std::string address = std::to_string(at);
        if (op < 8) {
            setAt(s, PB_INT(at), v);
            model[at] = v;
        } else {
            op == 8 ? pbStoreDelAt(s.out(), PB_INT(at)) : pbStoreDelCstr(s.out(), address.c_str(), -1);
            model.erase(model.begin() + long(at));
        }
        PB_INT expected = at < model.size() ? model[at].type : PB_STORE_TYPE_NONE;
        ASSERT_EQ(pbStoreTypeCstr(s.get(), address.c_str(), -1), expected);
    }
    expectArrayMatches(s.get(), model);
    ASSERT_GE(snapshots.size(), 5u);
    for (const auto& [snap, m] : snapshots) expectArrayMatches(snap.get(), m);
}

// The JSON text of what randomValue made for serial.
std::string jsonOf(const Value& v, int serial) {
    std::string n = std::to_string(serial);
    if (v.type == PB_STORE_TYPE_STRING) return '"' + n + '"';
    if (v.type == PB_STORE_TYPE_INT) return n;
    if (v.type == PB_STORE_TYPE_BOOL) return serial % 2 ? "true" : "false";
    return '[' + n + ']';
}

// v, equal to the entry at position at, takes that entry's own string or
// sub-store (the model compares them by identity).
void takeObjectAt(PB_STORE* s, PB_INT at, Value& v) {
    if (v.type == PB_STORE_TYPE_STRING) v.obj = pb::adopt(pbStringObj(pbStoreValueAt(s, at)));
    if (v.type == PB_STORE_TYPE_STORE) v.obj = pb::adopt(pbStoreObj(pbStoreStoreAt(s, at)));
}

// Decoded stores of more than a leaf are made as whole trees. Around the
// sizes where leaves and inner nodes fill up, and whatever the order of the
// keys in the text, they equal stores made entry by entry, find every key,
// and change like the model through a shared handle that keeps the decoded
// state. A duplicate key among many refuses the text.
TEST(PbStore, DecodedLargeStoresAreTreesThatEditLikeTheModel) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::mt19937 rng(13);
    const char* prefixes[] = {"", "configuration-entry-", "\xC3\xA4"};
    auto keyOf = [&](int i) { return prefixes[i % 3] + std::to_string(i); };
    auto document = [](const auto& members) {
        std::string text = "{";
        for (const auto& [key, value] : members) text += (text.size() > 1 ? ",\"" : "\"") + key + "\":" + value;
        return text + "}";
    };
    for (int n : {17, 33, 256, 257, 4097}) {
        for (bool shuffled : {false, true}) {
            SCOPED_TRACE(std::to_string(n) + (shuffled ? " keys shuffled" : " keys in order"));
            Store built = pb::adopt(pbStoreCreate());
            MapModel model;
            std::vector<std::pair<std::string, std::string>> members;  // key and value as JSON
            for (int i = 0; i < n; ++i) {
                Value v = randomValue(rng, i);
                setByKey(built, keyOf(i), v, false);
                model[keyOf(i)] = v;
                members.emplace_back(keyOf(i), jsonOf(v, i));
            }
            shuffled ? std::shuffle(members.begin(), members.end(), rng) : std::sort(members.begin(), members.end());
            Store s = vtest::json(document(members));
            ASSERT_TRUE(pbStoreEquals(s.get(), built.get()));
            PB_INT at = 0;
            for (auto& [key, v] : model) {
                ASSERT_EQ(pbStoreTypeCstr(s.get(), key.c_str(), -1), v.type) << key;
                takeObjectAt(s.get(), at++, v);
            }
            size_t twice = rng() % members.size();
            members.insert(members.begin() + long(shuffled ? rng() % members.size() : twice), members[twice]);
            std::string refused = document(members);
            EXPECT_FALSE(pb::adopt(pbStoreTryDecodeBytes(refused.data(), PB_INT(refused.size()), nullptr)));

            Store copy = s;
            MapModel changed = model;
            for (int step = 0; step < 2 * n; ++step) {
                std::string key = keyOf(int(rng() % unsigned(2 * n)));  // half of them absent
                unsigned op = rng() % 4;
                if (op < 2) setByKey(copy, key, changed[key] = randomValue(rng, step), op);
                if (op == 2) pbStoreDelCstr(copy.out(), key.c_str(), -1);
                if (op == 2) changed.erase(key);
                auto it = changed.find(key);
                ASSERT_EQ(pbStoreTypeCstr(copy.get(), key.c_str(), -1),
                          it == changed.end() ? PB_STORE_TYPE_NONE : it->second.type);
            }
            expectMatches(copy.get(), changed);
            expectMatches(s.get(), model);
        }

        // Arrays, and removals that take the evenly filled nodes below half.
        Store built = pb::adopt(pbStoreCreateArray());
        std::vector<Value> items;
        std::string text = "[";
        for (int i = 0; i < n; ++i) {
            items.push_back(randomValue(rng, i));
            append(built, items.back());
            text += (i ? "," : "") + jsonOf(items.back(), i);
        }
        Store s = vtest::json(text + "]");
        ASSERT_TRUE(pbStoreEquals(s.get(), built.get()));
        for (size_t i = 0; i < items.size(); ++i) takeObjectAt(s.get(), PB_INT(i), items[i]);
        Store copy = s;
        std::vector<Value> changed = items;
        for (size_t at = 0; at < changed.size(); ++at) {
            pbStoreDelAt(copy.out(), PB_INT(at));
            changed.erase(changed.begin() + long(at));
        }
        expectArrayMatches(copy.get(), changed);
        expectArrayMatches(s.get(), items);
    }
}

// A change to a shared store copies one path: only the changed leaf's
// values gain a holder.
TEST(PbStore, ChangeToSharedStoreCopiesOnlyOnePath) {
    VTEST_NO_LEAKS_IN_SCOPE();
    Store s = pb::adopt(pbStoreCreate());
    std::vector<pb::Ref<PB_STRING>> values;
    for (int i = 0; i < 10000; ++i) {
        values.push_back(str(std::to_string(i)));
        pbStoreSetValueCstr(s.out(), ("key" + std::to_string(i)).c_str(), -1, values.back().get());
    }
    Store snapshot = s;
    pbStoreSetValueIntCstr(s.out(), "key5000", -1, 1);
    int heldTwice = 0;
    for (const auto& v : values) heldTwice += pbObjRefCount(pbStringObj(v.get())) > 2;
    EXPECT_GT(heldTwice, 0);
    EXPECT_LE(heldTwice, 32);
    auto old = pb::adopt(pbStoreValueCstr(snapshot.get(), "key5000", -1));
    EXPECT_EQ(old.get(), values[5000].get());
}

TEST(PbStore, TypedReadsGiveNothingForAbsentOrOtherTypes) {
    VTEST_NO_LEAKS_IN_SCOPE();
    Store s = pb::adopt(pbStoreCreate());
    pbStoreSetValueIntCstr(s.out(), "n", -1, 5);
    pbStoreSetValueBoolCstr(s.out(), "b", -1, 7);  // any non-zero is true
    PB_INT i = -1;
    PB_BOOL b = -1;
    EXPECT_FALSE(pbStoreValueIntCstr(s.get(), "b", -1, &i));
    EXPECT_FALSE(pbStoreValueBoolCstr(s.get(), "n", -1, &b));
    EXPECT_FALSE(pbStoreValueIntCstr(s.get(), "x", -1, &i));
    EXPECT_EQ(i, -1);
    EXPECT_EQ(b, -1);
    EXPECT_TRUE(pbStoreValueBoolCstr(s.get(), "b", -1, &b));
    EXPECT_EQ(b, PB_TRUE);
    EXPECT_EQ(pbStoreValueCstr(s.get(), "n", -1), nullptr);
    EXPECT_EQ(pbStoreStoreCstr(s.get(), "n", -1), nullptr);
    EXPECT_EQ(pbStoreStore(s.get(), str("x").get()), nullptr);
    EXPECT_EQ(pbStoreTypeCstr(s.get(), "x", -1), PB_STORE_TYPE_NONE);
    EXPECT_FALSE(pbStoreHasAddressCstr(s.get(), "", 0));
    EXPECT_TRUE(pbStoreHasAddress(s.get(), str("n").get()));
    pbStoreSetValueCstr(s.out(), "n", -1, str("now a string").get());  // replaces across types
    EXPECT_EQ(pbStoreLength(s.get()), 2);
    EXPECT_FALSE(pbStoreValueIntCstr(s.get(), "n", -1, &i));
}

TEST(PbStore, AddressRule) {
    VTEST_NO_LEAKS_IN_SCOPE();
    EXPECT_FALSE(pbStoreAddressOkCstr("", -1));
    EXPECT_FALSE(pbStoreAddressOk(nullptr));
    EXPECT_TRUE(pbStoreAddressOkCstr(std::string(1024, 'a').c_str(), -1));
    EXPECT_FALSE(pbStoreAddressOkCstr(std::string(1025, 'a').c_str(), -1));
    EXPECT_TRUE(pbStoreAddressOkCstr(std::string(1023, 'a').append("\xC3\xA4").c_str(), -1));  // code points, not bytes
    for (const char* bad : {"a\x01", "\x1F", "a\x7F", "\xC2\x80", "\xC2\x9F", "a\nb"}) EXPECT_FALSE(pbStoreAddressOkCstr(bad, -1)) << bad;
    EXPECT_FALSE(pbStoreAddressOkCstr("a\0b", 3));
    for (const char* good : {" ", "a b", "\xC2\xA0", "../x", "{\"}", "\xF0\x9F\x98\x80"}) EXPECT_TRUE(pbStoreAddressOkCstr(good, -1)) << good;
}

TEST(PbStore, ArrayAddressesAreDecimalIndexes) {
    VTEST_NO_LEAKS_IN_SCOPE();
    Store a = pb::adopt(pbStoreCreateArray());
    for (int i = 0; i < 12; ++i) pbStoreAppendValueInt(a.out(), i * 10);
    EXPECT_EQ(utf8(pb::adopt(pbStoreAddressAt(a.get(), 11)).get()), "11");
    PB_INT v = 0;
    EXPECT_TRUE(pbStoreValueIntCstr(a.get(), "11", -1, &v));
    EXPECT_EQ(v, 110);
    for (const char* bad : {"12", "01", "-1", "+1", "1 ", "", "99999999999999999999"}) EXPECT_FALSE(pbStoreHasAddressCstr(a.get(), bad, -1)) << bad;
    pbStoreDelCstr(a.out(), "0", -1);  // later entries move down
    EXPECT_TRUE(pbStoreValueInt(a.get(), str("0").get(), &v));
    EXPECT_EQ(v, 10);
    Store b = pb::adopt(pbStoreCreateFrom(a.get()));
    pbStoreClear(b.out());
    EXPECT_TRUE(pbStoreIsArray(b.get()));
    EXPECT_EQ(pbStoreLength(a.get()), 11);
}

// Maps before arrays; then key; then type (string < int < bool < store); then value.
TEST(PbStore, ComparesByContent) {
    VTEST_NO_LEAKS_IN_SCOPE();
    Store map = pb::adopt(pbStoreCreate()), array = pb::adopt(pbStoreCreateArray());
    EXPECT_LT(pbStoreCompare(map.get(), array.get()), 0);
    Store a = pb::adopt(pbStoreCreate()), b = pb::adopt(pbStoreCreate());
    pbStoreSetValueCstr(a.out(), "k", -1, str("zzz").get());
    pbStoreSetValueIntCstr(b.out(), "k", -1, 0);
    EXPECT_LT(pbStoreCompare(a.get(), b.get()), 0);
    pbStoreSetValueBoolCstr(a.out(), "k", -1, PB_FALSE);
    EXPECT_GT(pbStoreCompare(a.get(), b.get()), 0);
    pbStoreSetValueIntCstr(a.out(), "k", -1, 0);
    EXPECT_TRUE(pbStoreEquals(a.get(), b.get()));
    pbStoreSetStoreCstr(a.out(), "j", -1, map.get());
    EXPECT_LT(pbStoreCompare(a.get(), b.get()), 0);  // key "j" before "k"
    pbStoreSetStoreCstr(b.out(), "j", -1, array.get());
    EXPECT_LT(pbStoreCompare(a.get(), b.get()), 0);  // sub-stores compare by content
}

// A store that begins with all of another's entries orders after it, seen
// from either side, maps and arrays alike.
TEST(PbStore, APrefixOrdersFirst) {
    VTEST_NO_LEAKS_IN_SCOPE();
    for (bool array : {false, true}) {
        Store empty = pb::adopt(array ? pbStoreCreateArray() : pbStoreCreate());
        Store shorter = empty, longer = empty;
        for (const char* key : {"a", "b", "c"}) {
            for (Store* s : {&shorter, &longer}) {
                if (s == &shorter && key[0] == 'c') continue;
                if (array) pbStoreAppendValueInt(s->out(), 7);
                else pbStoreSetValueIntCstr(s->out(), key, -1, 7);
            }
        }
        for (auto [first, second] : {std::pair{empty.get(), shorter.get()}, {shorter.get(), longer.get()}}) {
            EXPECT_EQ(pbStoreCompare(first, second), -1) << (array ? "array" : "map");
            EXPECT_EQ(pbStoreCompare(second, first), 1) << (array ? "array" : "map");
        }
    }
}

// A store set into itself holds its former state; no cycle leaks.
TEST(PbStore, SettingIntoItselfKeepsTheOldValue) {
    VTEST_NO_LEAKS_IN_SCOPE();
    Store s = pb::adopt(pbStoreCreate());
    pbStoreSetValueIntCstr(s.out(), "n", -1, 1);
    PB_STORE* before = s.get();
    pbStoreSetStoreCstr(s.out(), "self", -1, s.get());
    EXPECT_EQ(pb::adopt(pbStoreStoreCstr(s.get(), "self", -1)).get(), before);
    EXPECT_EQ(pbStoreLength(before), 1);
}

TEST(PbStoreDeathTest, Preconditions) {
    Store map = pb::adopt(pbStoreCreate()), array = pb::adopt(pbStoreCreateArray());
    EXPECT_DEATH(pbStoreSetValueIntCstr(array.out(), "0", -1, 1), "pb_store.cpp:[0-9]+: !pbStoreIsArray\\(\\*store\\)");
    EXPECT_DEATH(pbStoreAppendValueInt(map.out(), 1), "pb_store.cpp:[0-9]+: pbStoreIsArray\\(\\*store\\)");
    EXPECT_DEATH(pbStoreSetValueIntCstr(map.out(), "a\tb", -1, 1), "pbStoreAddressOkCstr\\(address, length\\)");
    EXPECT_DEATH(pbStoreSetValueIntAt(array.out(), 0, 1), "index >= 0 && index < \\(\\*store\\)->entries.size\\(\\)");
}

}  // namespace
