// Object observers: following a name, batches inside nested table updates
// (all three observer kinds), fixed objects, required sorts, a halted
// implementation, and every kind under concurrent table changes.
#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "cs/cs.h"
#include "cs/object/cs_object_observer_imp.h"
#include "cs/object/cs_object_record.h"
#include "cs/object/cs_object_table.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/cs_fixture.hpp"
#include "support/listener.hpp"
#include "support/live_objects.hpp"
#include "support/text.hpp"

namespace {

using pb::adopt;
using vtest::Listener;
using vtest::str;

PB_SORT_DEFINE(sortA, &cs___module, "TEST_OBSERVED_A", nullptr, nullptr, nullptr);
PB_SORT_DEFINE(sortB, &cs___module, "TEST_OBSERVED_B", nullptr, nullptr, nullptr);

using Obj = pb::Ref<PB_OBJ>;
using Rec = pb::Ref<CS_OBJECT_RECORD>;
using Observer = pb::Ref<CS_OBJECT_OBSERVER>;

Obj thing(PB_SORT* sort = &sortA) { return adopt(pb___ObjCreate(sizeof(PB_OBJ), sort)); }
Rec record(const char* name, const Obj& object) { return adopt(csObjectRecordCreate(str(name).get(), object.get())); }
void set(const Rec& rec) { csObjectTableSet(rec.get()); }
void del(const char* name) { csObjectTableDelByName(str(name).get()); }

Listener listen(const Observer& obs) {
    return Listener([o = obs.get()](PB_SIGNALABLE* s) { csObjectObserverUpdateAddSignalable(o, s); });
}

Observer observing(const char* name) {
    Observer obs = adopt(csObjectObserverCreate());
    csObjectObserverSetObservedName(obs.get(), str(name).get());
    return obs;
}

PB_OBJ* objectOf(const Observer& obs) { return adopt(csObjectObserverObject(obs.get())).get(); }
CS_OBJECT_RECORD* recordOf(const Observer& obs) { return adopt(csObjectObserverRecord(obs.get())).get(); }

struct CsObjectObserver : vtest::CsModuleTest {
    VTEST_NO_LEAKS_IN_SCOPE();
};

// --- following a name ------------------------------------------------------

TEST_F(CsObjectObserver, PicksUpRegistrationReplacementAndRemovalOfItsName) {
    auto first = thing(), second = thing();
    Observer obs = observing("alpha");
    Listener heard = listen(obs);
    EXPECT_TRUE(csObjectObserverConfigured(obs.get()));
    EXPECT_FALSE(csObjectObserverHasObject(obs.get()));

    Rec rec = record("alpha", first);
    set(rec);
    EXPECT_EQ(objectOf(obs), first.get());
    EXPECT_EQ(recordOf(obs), rec.get());
    EXPECT_EQ(heard.heard, 1);

    set(rec);  // the same record again: same object, same record
    set(record("beta", second));  // another name
    EXPECT_EQ(heard.heard, 1);

    Rec replacing = record("alpha", thing());
    set(replacing);
    EXPECT_EQ(recordOf(obs), replacing.get());
    EXPECT_EQ(heard.heard, 2);

    // The same object under a new record of the name is a change of record.
    Rec sameObject = record("alpha", first);
    set(sameObject);
    set(adopt(csObjectRecordCreate(str("alpha").get(), first.get())));
    EXPECT_EQ(objectOf(obs), first.get());
    EXPECT_EQ(heard.heard, 4);

    // Registering the observed object under another name takes it from ours.
    set(record("gamma", first));
    EXPECT_FALSE(csObjectObserverHasObject(obs.get()));
    EXPECT_EQ(heard.heard, 5);

    set(record("alpha", second));
    EXPECT_EQ(objectOf(obs), second.get());
    del("alpha");
    EXPECT_EQ(objectOf(obs), nullptr);
    EXPECT_EQ(recordOf(obs), nullptr);
    EXPECT_EQ(heard.heard, 7);
    del("alpha");  // absent: nothing happens
    EXPECT_EQ(heard.heard, 7);

    // A new observer takes what is already registered.
    set(record("alpha", first));
    EXPECT_EQ(objectOf(observing("alpha")), first.get());
    csObjectObserverDelObservedName(obs.get());
    EXPECT_FALSE(csObjectObserverConfigured(obs.get()) || csObjectObserverHasObject(obs.get()));
}

// --- batches ---------------------------------------------------------------

TEST_F(CsObjectObserver, NestedUpdateReachesEveryObserverOnceAtTheOutermostEnd) {
    set(record("gone", thing()));
    Observer obs = observing("alpha");
    Listener heard = listen(obs);
    auto multi = adopt(csObjectMultiObserverCreate());
    csObjectMultiObserverSetObservedName(multi.get(), str("alpha").get());
    csObjectMultiObserverSetObservedName(multi.get(), str("gone").get());
    Listener multiHeard([m = multi.get()](PB_SIGNALABLE* s) { csObjectMultiObserverUpdateAddSignalable(m, s); });
    auto domain = adopt(csObjectDomainObserverCreate());
    csObjectDomainObserverSetObservedName(domain.get(), str("alpha").get());
    Listener domainHeard([d = domain.get()](PB_SIGNALABLE* s) { csObjectDomainObserverUpdateAddSignalable(d, s); });

    auto last = thing();
    cs___ObjectTableUpdateBegin();
    set(record("alpha", thing()));
    cs___ObjectTableUpdateBegin();
    set(record("alpha", last));
    del("gone");
    cs___ObjectTableUpdateEnd();
    EXPECT_EQ(heard.heard + multiHeard.heard + domainHeard.heard, 0);
    EXPECT_FALSE(csObjectObserverHasObject(obs.get()));
    cs___ObjectTableUpdateEnd();

    EXPECT_EQ(heard.heard, 1);
    EXPECT_EQ(multiHeard.heard, 1);
    EXPECT_EQ(domainHeard.heard, 1);
    EXPECT_EQ(objectOf(obs), last.get());
    auto objects = adopt(csObjectMultiObserverObjectsVector(multi.get()));
    ASSERT_EQ(pbVectorLength(objects.get()), 1);
    EXPECT_EQ(adopt(pbVectorObjAt(objects.get(), 0)).get(), last.get());
    auto map = adopt(csObjectDomainObserverMap(domain.get()));
    EXPECT_EQ(adopt(csObjectDomainObserverMapObject(map.get(), &sortA)).get(), last.get());
}

// --- fixed objects, required sorts, configure ------------------------------

TEST_F(CsObjectObserver, FixedObjectWinsOverTheNameAndHasNoRecord) {
    auto named = thing(), fixed = thing();
    set(record("alpha", named));
    Observer obs = observing("alpha");
    Listener heard = listen(obs);

    // Fixing the very object the name stands for still drops the record.
    csObjectObserverSetFixedObject(obs.get(), named.get());
    EXPECT_EQ(objectOf(obs), named.get());
    EXPECT_FALSE(csObjectObserverHasRecord(obs.get()));
    EXPECT_EQ(heard.heard, 1);

    csObjectObserverSetFixedObject(obs.get(), fixed.get());
    set(record("alpha", thing()));  // not looked up while fixed
    EXPECT_EQ(objectOf(obs), fixed.get());
    EXPECT_EQ(heard.heard, 2);

    csObjectObserverDelFixedObject(obs.get());
    EXPECT_TRUE(csObjectObserverHasRecord(obs.get()));
    EXPECT_NE(objectOf(obs), named.get());
    EXPECT_EQ(heard.heard, 3);

    // Configure clears the name and fixes an object in one change, never a
    // pass through "no object".
    csObjectObserverConfigure(obs.get(), nullptr, fixed.get());
    EXPECT_EQ(heard.heard, 4);
    EXPECT_FALSE(csObjectObserverHasObservedName(obs.get()));
    EXPECT_EQ(objectOf(obs), fixed.get());
    csObjectObserverConfigure(obs.get(), str("alpha").get(), nullptr);
    EXPECT_NE(recordOf(obs), nullptr);
    EXPECT_EQ(heard.heard, 5);
}

TEST_F(CsObjectObserver, RequiredSortFiltersNamedAndFixedObjects) {
    Observer obs = adopt(csObjectObserverCreateWithRequiredSort(&sortA));
    csObjectObserverSetObservedName(obs.get(), str("alpha").get());
    Listener heard = listen(obs);
    set(record("alpha", thing(&sortB)));
    EXPECT_FALSE(csObjectObserverHasRecord(obs.get()));
    auto fixedB = thing(&sortB);
    csObjectObserverSetFixedObject(obs.get(), fixedB.get());
    EXPECT_FALSE(csObjectObserverHasObject(obs.get()));
    EXPECT_EQ(heard.heard, 0);
    csObjectObserverSetRequiredSort(obs.get(), &sortB);
    csObjectObserverDelRequiredSort(obs.get());
    EXPECT_EQ(objectOf(obs), fixedB.get());
    EXPECT_EQ(heard.heard, 1);
}

// --- halt ------------------------------------------------------------------

TEST_F(CsObjectObserver, HaltedImplementationKeepsItsLastObject) {
    auto first = thing();
    auto imp = adopt(cs___ObjectObserverImpCreate());
    cs___ObjectObserverImpSetObservedName(imp.get(), str("alpha").get());
    set(record("alpha", first));
    EXPECT_EQ(adopt(cs___ObjectObserverImpObject(imp.get())).get(), first.get());
    cs___ObjectObserverImpHalt(imp.get());
    set(record("alpha", thing()));
    del("alpha");
    EXPECT_EQ(adopt(cs___ObjectObserverImpObject(imp.get())).get(), first.get());
}

// --- threads ---------------------------------------------------------------
// Writers set and delete records, another thread nests update brackets,
// another creates and releases observers of every kind, while long-lived
// observers and their listeners follow along; afterwards every long-lived
// observer agrees with the table. Each listener counts under its observer's
// lock, which every assertion of that observer's signal holds.

constexpr int kNames = 6;
constexpr int kRounds = 200;
const char* const kNameTexts[kNames] = {"n0", "n1", "n2", "n3", "n4", "n5"};

void setFresh(const char* name) { set(record(name, thing())); }

pb::Ref<PB_VECTOR> allNames() {
    auto vec = adopt(pbVectorCreate());
    for (const char* n : kNameTexts) pbVectorAppendObj(vec.out(), pbStringObj(str(n).get()));
    return vec;
}

TEST_F(CsObjectObserver, ObserversFollowConcurrentChanges) {
    std::vector<pb::Ref<CS_OBJECT_OBSERVER>> singles;
    for (const char* n : kNameTexts) {
        singles.push_back(adopt(csObjectObserverCreate()));
        csObjectObserverSetObservedName(singles.back().get(), str(n).get());
    }
    auto multi = adopt(csObjectMultiObserverCreate());
    csObjectMultiObserverSetObservedNamesVector(multi.get(), allNames().get());
    auto domain = adopt(csObjectDomainObserverCreate());
    csObjectDomainObserverSetObservedNamesVector(domain.get(), allNames().get());
    Listener singleHeard([o = singles[0].get()](PB_SIGNALABLE* s) { csObjectObserverUpdateAddSignalable(o, s); });
    Listener multiHeard([o = multi.get()](PB_SIGNALABLE* s) { csObjectMultiObserverUpdateAddSignalable(o, s); });
    Listener domainHeard([o = domain.get()](PB_SIGNALABLE* s) { csObjectDomainObserverUpdateAddSignalable(o, s); });

    std::vector<std::thread> threads;
    for (int w = 0; w < 2; ++w)
        threads.emplace_back([w] {
            std::vector<Obj> shared{thing(), thing(), thing()};
            for (int i = 0; i < kRounds; ++i) {
                setFresh(kNameTexts[(i + w) % kNames]);
                Rec rec = record(kNameTexts[(i * 7 + w) % kNames], shared[size_t(i % 3)]);
                csObjectRecordSetTrMark(rec.out(), i % 2);
                set(rec);  // objects move between names, marks carry over
                if (i % 3 == w) csObjectTableDelByName(str(kNameTexts[(i * 5 + w) % kNames]).get());
                if (i % 5 == 0) csObjectTableDelByObject(shared[size_t(i % 3)].get());
            }
        });
    threads.emplace_back([] {
        for (int i = 0; i < kRounds; ++i) {
            cs___ObjectTableUpdateBegin();
            setFresh(kNameTexts[i % kNames]);
            cs___ObjectTableUpdateBegin();
            csObjectTableDelByName(str(kNameTexts[(i + 3) % kNames]).get());
            cs___ObjectTableUpdateEnd();
            cs___ObjectTableUpdateEnd();
        }
    });
    threads.emplace_back([] {
        auto names = allNames();
        for (int i = 0; i < kRounds; ++i) {
            auto single = adopt(csObjectObserverCreate());
            csObjectObserverSetObservedName(single.get(), str(kNameTexts[i % kNames]).get());
            auto seen = adopt(csObjectObserverObject(single.get()));
            auto many = adopt(csObjectMultiObserverCreateWithRequiredSort(&sortA));
            csObjectMultiObserverConfigure(many.get(), names.get(), nullptr);
            auto found = adopt(csObjectMultiObserverObjectsVector(many.get()));
            auto dom = adopt(csObjectDomainObserverCreate());
            csObjectDomainObserverSetObservedNamesVector(dom.get(), names.get());
            auto map = adopt(csObjectDomainObserverMap(dom.get()));
            EXPECT_LE(pbVectorLength(found.get()), kNames);
        }
    });
    for (auto& t : threads) t.join();

    // The table's two views agree record for record, and the last
    // dictionary every observer got is the table as it stands.
    auto records = adopt(csObjectTableRecordsVector());
    for (PB_INT i = 0; i < pbVectorLength(records.get()); ++i) {
        auto rec = adopt(csObjectRecordFrom(pbVectorObjAt(records.get(), i)));
        EXPECT_EQ(adopt(csObjectTableLookupRecordByObject(adopt(csObjectRecordObject(rec.get())).get())).get(), rec.get());
    }
    std::set<PB_OBJ*> inTable;
    for (int i = 0; i < kNames; ++i) {
        auto expected = adopt(csObjectTableLookupObjectByName(str(kNameTexts[i]).get()));
        auto seen = adopt(csObjectObserverObject(singles[i].get()));
        EXPECT_EQ(seen.get(), expected.get()) << kNameTexts[i];
        if (expected) inTable.insert(expected.get());
    }
    std::set<PB_OBJ*> inResult;
    auto objects = adopt(csObjectMultiObserverObjectsVector(multi.get()));
    for (PB_INT i = 0; i < pbVectorLength(objects.get()); ++i)
        inResult.insert(adopt(pbVectorObjAt(objects.get(), i)).get());
    EXPECT_EQ(inResult, inTable);
    auto map = adopt(csObjectDomainObserverMap(domain.get()));
    auto chosen = adopt(csObjectDomainObserverMapObject(map.get(), &sortA));
    EXPECT_EQ(chosen.get(), inTable.empty() ? nullptr : *inTable.begin());
    EXPECT_GT(singleHeard.heard + multiHeard.heard + domainHeard.heard, 0);
}

// --- preconditions ---------------------------------------------------------

using CsObjectObserverDeathTest = CsObjectObserver;

TEST_F(CsObjectObserverDeathTest, PreconditionsStopTheProcess) {
    Observer obs = adopt(csObjectObserverCreate());
    auto empty = str("");
    EXPECT_DEATH(csObjectObserverSetObservedName(obs.get(), empty.get()),
                 "cs_object_observer_imp.cpp:[0-9]+: csObjectRecordNameOk\\( name \\)\n");
    EXPECT_DEATH(csObjectObserverConfigure(obs.get(), empty.get(), nullptr),
                 "cs_object_observer_imp.cpp:[0-9]+: !optionalName \\|\\| csObjectRecordNameOk\\( optionalName \\)\n");

    auto imp = adopt(cs___ObjectObserverImpCreate());
    cs___ObjectObserverImpHalt(imp.get());
    EXPECT_DEATH(cs___ObjectObserverImpHalt(imp.get()),
                 "pbDictHasObjKey\\( cs___ObjectObserverImpsDict, cs___ObjectObserverImpObj\\( imp \\) \\)");
}

}  // namespace
