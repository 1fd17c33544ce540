// Multi and domain observers: result sets by name and fixed object, the
// required sort, configure, and the domain map's preference for fixed and
// first-in-order objects.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "cs/cs.h"
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
using vtest::take;
using vtest::str;

PB_SORT_DEFINE(sortA, &cs___module, "TEST_MULTI_A", nullptr, nullptr, nullptr);
PB_SORT_DEFINE(sortB, &cs___module, "TEST_MULTI_B", nullptr, nullptr, nullptr);

using Obj = pb::Ref<PB_OBJ>;
using Multi = pb::Ref<CS_OBJECT_MULTI_OBSERVER>;
using Domain = pb::Ref<CS_OBJECT_DOMAIN_OBSERVER>;

Obj thing(PB_SORT* sort = &sortA) { return adopt(pb___ObjCreate(sizeof(PB_OBJ), sort)); }
void set(const char* name, const Obj& object) {
    auto rec = adopt(csObjectRecordCreate(str(name).get(), object.get()));
    csObjectTableSet(rec.get());
}

pb::Ref<PB_VECTOR> vectorOf(std::initializer_list<PB_OBJ*> objects) {
    auto vec = adopt(pbVectorCreate());
    for (PB_OBJ* o : objects) pbVectorAppendObj(vec.out(), o);
    return vec;
}

pb::Ref<PB_VECTOR> names(std::initializer_list<const char*> list) {
    auto vec = adopt(pbVectorCreate());
    for (const char* n : list) pbVectorAppendObj(vec.out(), pbStringObj(str(n).get()));
    return vec;
}

std::set<PB_OBJ*> setOf(PB_VECTOR* vec) {
    std::set<PB_OBJ*> out;
    for (PB_INT i = 0; i < pbVectorLength(vec); ++i) out.insert(adopt(pbVectorObjAt(vec, i)).get());
    pbVectorRelease(vec);
    return out;
}

std::set<PB_OBJ*> result(const Multi& obs) { return setOf(csObjectMultiObserverObjectsVector(obs.get())); }

std::string joined(PB_VECTOR* vec) {
    std::string out;
    for (PB_INT i = 0; i < pbVectorLength(vec); ++i)
        out += (i ? "," : "") + take(pbStringFrom(pbVectorObjAt(vec, i)));
    pbVectorRelease(vec);
    return out;
}

PB_OBJ* mapped(const Domain& obs, PB_SORT* sort) {
    auto map = adopt(csObjectDomainObserverMap(obs.get()));
    return adopt(csObjectDomainObserverMapObject(map.get(), sort)).get();
}

Listener listen(const Multi& obs) {
    return Listener([o = obs.get()](PB_SIGNALABLE* s) { csObjectMultiObserverUpdateAddSignalable(o, s); });
}
Listener listen(const Domain& obs) {
    return Listener([o = obs.get()](PB_SIGNALABLE* s) { csObjectDomainObserverUpdateAddSignalable(o, s); });
}

struct CsObjectMultiObserver : vtest::CsModuleTest {
    VTEST_NO_LEAKS_IN_SCOPE();
};

// --- multi observer: the result --------------------------------------------

TEST_F(CsObjectMultiObserver, ResultHoldsFixedObjectsAndObjectsFoundByName) {
    auto a = thing(), b = thing(), b2 = thing();
    set("a", a);
    Multi obs = adopt(csObjectMultiObserverCreate());
    Listener heard = listen(obs);
    csObjectMultiObserverSetObservedName(obs.get(), str("a").get());
    csObjectMultiObserverSetObservedName(obs.get(), str("b").get());
    EXPECT_EQ(result(obs), (std::set<PB_OBJ*>{a.get()}));
    EXPECT_EQ(heard.heard, 1);

    set("b", b);
    EXPECT_EQ(result(obs), (std::set<PB_OBJ*>{a.get(), b.get()}));
    set("b", b2);
    EXPECT_EQ(result(obs), (std::set<PB_OBJ*>{a.get(), b2.get()}));
    EXPECT_EQ(heard.heard, 3);

    // Fixed and found by name: once in the result, and no change.
    csObjectMultiObserverSetFixedObject(obs.get(), a.get());
    auto dict = adopt(csObjectMultiObserverObjectsDict(obs.get()));
    EXPECT_EQ(pbDictLength(dict.get()), 2);
    csObjectTableDelByName(str("a").get());
    set("unrelated", thing());
    EXPECT_EQ(heard.heard, 3);

    csObjectMultiObserverDelFixedObject(obs.get(), a.get());
    EXPECT_EQ(result(obs), (std::set<PB_OBJ*>{b2.get()}));
    EXPECT_EQ(heard.heard, 4);
    // The dictionary handed out earlier is a value: it did not change.
    EXPECT_EQ(pbDictLength(dict.get()), 2);
}

TEST_F(CsObjectMultiObserver, RequiredSortAppliesToFixedAndNamedObjects) {
    auto fixedA = thing(&sortA), fixedB = thing(&sortB), namedB = thing(&sortB);
    set("b", namedB);
    Multi obs = adopt(csObjectMultiObserverCreateWithRequiredSort(&sortA));
    csObjectMultiObserverConfigure(obs.get(), names({"b"}).get(), vectorOf({fixedA.get(), fixedB.get()}).get());
    EXPECT_EQ(result(obs), (std::set<PB_OBJ*>{fixedA.get()}));
    csObjectMultiObserverSetRequiredSort(obs.get(), &sortB);
    EXPECT_EQ(result(obs), (std::set<PB_OBJ*>{fixedB.get(), namedB.get()}));
    csObjectMultiObserverDelRequiredSort(obs.get());
    EXPECT_EQ(result(obs).size(), 3u);
}

// --- both observers: the sets ----------------------------------------------

TEST_F(CsObjectMultiObserver, ConfigureReplacesBothSetsStepByStep) {
    auto named = thing(), fixed = thing();
    set("n", named);
    Domain domain = adopt(csObjectDomainObserverCreate());
    csObjectDomainObserverSetObservedName(domain.get(), str("old").get());
    csObjectDomainObserverConfigure(domain.get(), names({"n", "m", "n"}).get(),
                                    vectorOf({fixed.get(), fixed.get()}).get());
    EXPECT_EQ(joined(csObjectDomainObserverObservedNamesVector(domain.get())), "m,n");
    EXPECT_EQ(setOf(csObjectDomainObserverFixedObjectsVector(domain.get())), (std::set<PB_OBJ*>{fixed.get()}));

    Multi multi = adopt(csObjectMultiObserverCreate());
    csObjectMultiObserverConfigure(multi.get(), names({"n"}).get(), vectorOf({fixed.get()}).get());
    Listener heard = listen(multi);
    // Emptying both sets passes through "fixed object only": two changes.
    csObjectMultiObserverConfigure(multi.get(), nullptr, nullptr);
    EXPECT_EQ(heard.heard, 2);
    EXPECT_TRUE(result(multi).empty());

    Listener domainHeard = listen(domain);
    csObjectDomainObserverConfigure(domain.get(), nullptr, nullptr);
    EXPECT_EQ(domainHeard.heard, 2);
}

// --- domain observer: the map ----------------------------------------------

TEST_F(CsObjectMultiObserver, DomainMapPrefersFixedThenFirstInOrder) {
    Domain obs = adopt(csObjectDomainObserverCreate());
    Listener heard = listen(obs);

    auto one = thing(&sortA), two = thing(&sortA), other = thing(&sortB);
    PB_OBJ* first = pbObjCompare(one.get(), two.get()) < 0 ? one.get() : two.get();
    set("one", one);
    set("two", two);
    set("other", other);
    csObjectDomainObserverSetObservedNamesVector(obs.get(), names({"one", "two", "other"}).get());
    EXPECT_EQ(mapped(obs, &sortA), first);
    EXPECT_EQ(mapped(obs, &sortB), other.get());
    EXPECT_EQ(heard.heard, 1);

    auto held = adopt(csObjectDomainObserverMap(obs.get()));
    auto fixed = thing(&sortA);
    csObjectDomainObserverSetFixedObject(obs.get(), fixed.get());
    EXPECT_EQ(mapped(obs, &sortA), fixed.get());
    EXPECT_EQ(mapped(obs, &sortB), other.get());
    EXPECT_EQ(heard.heard, 2);
    // A map never changes: the one held before still gives what it gave.
    EXPECT_EQ(adopt(csObjectDomainObserverMapObject(held.get(), &sortA)).get(), first);

    csObjectTableDelByName(str("other").get());
    EXPECT_EQ(mapped(obs, &sortB), nullptr);
    EXPECT_EQ(heard.heard, 3);
}

TEST_F(CsObjectMultiObserver, DomainKeepsItsMapWhenNothingItUsesChanged) {
    auto object = thing(), fixed = thing(&sortB);
    set("n", object);
    Domain obs = adopt(csObjectDomainObserverCreate());
    csObjectDomainObserverSetObservedName(obs.get(), str("n").get());
    csObjectDomainObserverSetFixedObject(obs.get(), fixed.get());
    auto before = adopt(csObjectDomainObserverMap(obs.get()));
    Listener heard = listen(obs);

    set("unrelated", thing());
    set("n", object);                                              // a new record, the same object
    csObjectDomainObserverSetFixedObject(obs.get(), fixed.get());  // already fixed
    csObjectDomainObserverSetObservedName(obs.get(), str("absent").get());
    EXPECT_EQ(heard.heard, 0);
    EXPECT_EQ(adopt(csObjectDomainObserverMap(obs.get())).get(), before.get());

    csObjectDomainObserverDelFixedObject(obs.get(), fixed.get());
    EXPECT_FALSE(csObjectDomainObserverHasFixedObject(obs.get(), fixed.get()));
    EXPECT_EQ(heard.heard, 1);
    EXPECT_NE(adopt(csObjectDomainObserverMap(obs.get())).get(), before.get());
}

// --- preconditions ---------------------------------------------------------

using CsObjectMultiObserverDeathTest = CsObjectMultiObserver;

TEST_F(CsObjectMultiObserverDeathTest, PreconditionsStopTheProcess) {
    Multi multi = adopt(csObjectMultiObserverCreate());
    Domain domain = adopt(csObjectDomainObserverCreate());
    auto notString = vectorOf({thing().get()});
    auto badName = names({"fine", ""});
    EXPECT_DEATH(csObjectMultiObserverSetObservedNamesVector(multi.get(), notString.get()), ": pbs\n");
    EXPECT_DEATH(csObjectDomainObserverConfigure(domain.get(), badName.get(), nullptr),
                 ": csObjectRecordNameOk\\( pbs \\)\n");
    auto map = adopt(csObjectDomainObserverMap(domain.get()));
    EXPECT_DEATH(csObjectDomainObserverMapObject(map.get(), nullptr), ": sort\n");
}

}  // namespace
