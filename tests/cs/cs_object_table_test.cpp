// Object records and the object table: replacement by name and by object,
// trace marks carried over or scrubbed, the record's trace stream, update
// brackets and halt. Changes from many threads are tested with the
// observers that follow them.
#include <gtest/gtest.h>

#include <string>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/cs_fixture.hpp"
#include "support/listener.hpp"
#include "support/live_objects.hpp"
#include "tr/tr.h"
#include "support/text.hpp"

namespace {

using pb::adopt;
using vtest::take;
using vtest::str;

PB_SORT_DEFINE(thingSort, &cs___module, "TEST_THING", nullptr, nullptr, nullptr);
PB_SORT_DEFINE(otherSort, &cs___module, "TEST_OTHER", nullptr, nullptr, nullptr);

using Obj = pb::Ref<PB_OBJ>;
using Rec = pb::Ref<CS_OBJECT_RECORD>;

Obj thing(PB_SORT* sort = &thingSort) { return adopt(pb___ObjCreate(sizeof(PB_OBJ), sort)); }
Rec record(const char* name, const Obj& object) { return adopt(csObjectRecordCreate(str(name).get(), object.get())); }

struct Counter {
    int hits = 0;
    pb::Ref<PB_SIGNALABLE> signalable =
        adopt(pbSignalableCreateWithCallback([](void* c) { ++static_cast<Counter*>(c)->hits; }, this));
    void listen() { csObjectTableUpdateAddSignalable(signalable.get()); }
};

// The newest stream linked from `from` with the given kind (and annotation).
pb::Ref<TR_STREAM> linked(TR_STREAM* from, PB_INT kind, const char* annotation = nullptr) {
    for (PB_INT i = trStreamLinksCount(from) - 1; i >= 0; --i) {
        if (trStreamLinkKindAt(from, i) != kind) continue;
        if (annotation && take(trStreamLinkAnnotationAt(from, i)) != annotation) continue;
        return adopt(trStreamLinkAt(from, i));
    }
    return nullptr;
}

// The trace stream of the record named name, found below the table's own
// stream, which hangs below the module's stream.
pb::Ref<TR_STREAM> recordStream(const char* name) {
    auto module = adopt(cs___ModuleTrStream());
    auto table = linked(module.get(), 10);
    EXPECT_EQ(take(trStreamName(table.get())), "CS_OBJECT_TABLE");
    return linked(table.get(), 10, name);
}

pb::Ref<TR_MARK> markOf(const char* name) { return adopt(trStreamExplicitMark(recordStream(name).get())); }

std::string nameOf(const Obj& object) { return take(csObjectTableLookupNameByObject(object.get())); }

using CsObjectTable = vtest::CsModuleTest;

TEST_F(CsObjectTable, RecordNames) {
    VTEST_NO_LEAKS_IN_SCOPE();
    Rec random = adopt(csObjectRecordCreateWithRandomName(thing().get()));
    EXPECT_TRUE(adopt(pbIdentifierTryCreateFromString(adopt(csObjectRecordName(random.get())).get())));
    EXPECT_FALSE(csObjectRecordNameOk(str("tab\there").get()));
    EXPECT_TRUE(csObjectRecordNameOk(str("any name/with.punctuation").get()));
}

TEST_F(CsObjectTable, SetReplacesByNameAndByObject) {
    Obj x = thing(), y = thing(), z = thing();
    csObjectTableSet(record("a", x).get());
    csObjectTableSet(record("b", y).get());
    EXPECT_EQ(nameOf(x), "a");
    EXPECT_EQ(nameOf(y), "b");

    // Same name, new object: the old object leaves the table.
    csObjectTableSet(record("a", z).get());
    EXPECT_EQ(nameOf(x), "<null>");
    EXPECT_EQ(adopt(csObjectTableLookupObjectByName(str("a").get())).get(), z.get());

    // An object held under another name: that other record goes, under both
    // of its keys.
    csObjectTableSet(record("c", y).get());
    EXPECT_EQ(adopt(csObjectTableLookupRecordByName(str("b").get())).get(), nullptr);
    EXPECT_EQ(nameOf(y), "c");

    // Both at once: the name of one record and the object of another.
    csObjectTableSet(record("a", y).get());
    EXPECT_EQ(nameOf(y), "a");
    EXPECT_EQ(nameOf(z), "<null>");
    EXPECT_EQ(adopt(csObjectTableLookupRecordByName(str("c").get())).get(), nullptr);
    EXPECT_EQ(pbVectorLength(adopt(csObjectTableRecordsVector()).get()), 1);

    csObjectTableDelByObject(y.get());
    EXPECT_EQ(pbVectorLength(adopt(csObjectTableRecordsVector()).get()), 0);
}

TEST_F(CsObjectTable, LookupsByNameObjectAndSort) {
    Obj x = thing(), y = thing(&otherSort), z = thing();
    csObjectTableSet(record("b", x).get());
    csObjectTableSet(record("a", y).get());
    csObjectTableSet(record("c", z).get());
    EXPECT_EQ(adopt(csObjectTableLookupObjectByNameAndSort(str("b").get(), &thingSort)).get(), x.get());
    EXPECT_EQ(adopt(csObjectTableLookupObjectByNameAndSort(str("b").get(), &otherSort)).get(), nullptr);
    auto things = adopt(csObjectTableRecordsVectorBySort(&thingSort));  // in name order
    ASSERT_EQ(pbVectorLength(things.get()), 2);
    Rec first = adopt(csObjectRecordFrom(pbVectorObjAt(things.get(), 0)));
    EXPECT_EQ(adopt(csObjectRecordObject(first.get())).get(), x.get());
}

TEST_F(CsObjectTable, TraceMarksAreCarriedOverOrScrubbed) {
    Obj x = thing(), y = thing();
    Rec marked = record("a", x);
    csObjectRecordSetTrMark(marked.out(), PB_TRUE);
    csObjectTableSet(marked.get());
    auto first = markOf("a");
    ASSERT_TRUE(first);

    // A marked record replacing a marked one keeps the mark.
    csObjectTableSet(marked.get());
    EXPECT_EQ(markOf("a").get(), first.get());
    EXPECT_FALSE(trMarkScrubbed(first.get()));

    // One without trMark scrubs it, and its stream carries no mark.
    csObjectTableSet(record("a", x).get());
    EXPECT_TRUE(trMarkScrubbed(first.get()));
    EXPECT_EQ(markOf("a").get(), nullptr);

    // The mark of the record found by object wins over the one found by
    // name; the other is scrubbed.
    Rec byName = record("n", x);
    Rec byObject = record("o", y);
    csObjectRecordSetTrMark(byName.out(), PB_TRUE);
    csObjectRecordSetTrMark(byObject.out(), PB_TRUE);
    csObjectTableSet(byName.get());
    csObjectTableSet(byObject.get());
    auto nameMark = markOf("n"), objectMark = markOf("o");
    ASSERT_TRUE(nameMark && objectMark);
    EXPECT_NE(nameMark.get(), objectMark.get());
    Rec both = record("n", y);
    csObjectRecordSetTrMark(both.out(), PB_TRUE);
    csObjectTableSet(both.get());
    EXPECT_EQ(markOf("n").get(), objectMark.get());
    EXPECT_TRUE(trMarkScrubbed(nameMark.get()));
    EXPECT_FALSE(trMarkScrubbed(objectMark.get()));

    // Deleting a marked record scrubs its mark.
    csObjectTableDelByName(str("n").get());
    EXPECT_TRUE(trMarkScrubbed(objectMark.get()));
}

void completeWithOwnStream(PB_OBJ*, PB_OBJ*, TR_ANCHOR* anchor) {
    auto stream = adopt(trStreamCreateCstr("TEST_THING", -1));
    trAnchorComplete(anchor, stream.get());
}

TEST_F(CsObjectTable, RecordStreamDescribesTheRecordAndLinksTheObject) {
    auto backend = adopt(csSortBackendCreate(&thingSort, nullptr, nullptr, nullptr, nullptr, nullptr,
                                             completeWithOwnStream, nullptr));
    Obj x = thing();
    Rec rec = record("described", x);
    csObjectRecordSetVisible(rec.out(), PB_FALSE);
    csObjectRecordSetComment(rec.out(), str("why").get());
    auto meta = adopt(pbStoreCreate());
    pbStoreSetValueIntCstr(meta.out(), "k", -1, 7);
    csObjectRecordSetMetaData(rec.out(), meta.get());
    csObjectTableSet(rec.get());

    auto stream = recordStream("described");
    ASSERT_TRUE(stream);
    EXPECT_EQ(take(trStreamName(stream.get())), "CS_OBJECT_RECORD");
    auto prop = [&](const char* key) { return adopt(trStreamPropertyCstr(stream.get(), key, -1)); };
    EXPECT_EQ(take(trPropertyValueString(prop("csObjectRecordName").get())), "described");
    EXPECT_FALSE(trPropertyValueBool(prop("csObjectRecordVisible").get()));
    EXPECT_EQ(take(trPropertyValueString(prop("csObjectRecordComment").get())), "why");
    EXPECT_TRUE(pbStoreEquals(adopt(trPropertyValueStore(prop("csObjectRecordMetaData").get())).get(), meta.get()));
    EXPECT_EQ(take(trPropertyValueString(prop("csObjectRecordObjectSort").get())), "TEST_THING");
    auto objectStream = linked(stream.get(), 12);
    ASSERT_TRUE(objectStream);
    EXPECT_EQ(take(trStreamName(objectStream.get())), "TEST_THING");

    csObjectTableSet(record("plain", thing(&otherSort)).get());  // no comment, no trace callback
    auto plain = recordStream("plain");
    EXPECT_EQ(adopt(trStreamPropertyCstr(plain.get(), "csObjectRecordComment", -1)).get(), nullptr);
    EXPECT_EQ(linked(plain.get(), 12).get(), nullptr);
}

TEST_F(CsObjectTable, UpdateSignalOncePerChangeAndOncePerOutermostBracket) {
    Obj x = thing();
    Counter watcher;
    watcher.listen();
    csObjectTableSet(record("a", x).get());
    EXPECT_EQ(watcher.hits, 1);
    csObjectTableDelByName(str("missing").get());  // nothing to delete: no signal
    csObjectTableDelByObject(thing().get());
    watcher.listen();
    EXPECT_EQ(watcher.hits, 1);

    cs___ObjectTableUpdateBegin();
    cs___ObjectTableUpdateBegin();
    csObjectTableSet(record("b", thing()).get());
    csObjectTableDelByName(str("a").get());
    csObjectTableSet(record("c", x).get());
    cs___ObjectTableUpdateEnd();
    EXPECT_EQ(watcher.hits, 1);  // the inner end publishes nothing
    cs___ObjectTableUpdateEnd();
    EXPECT_EQ(watcher.hits, 2);
    EXPECT_EQ(pbVectorLength(adopt(csObjectTableRecordsVector()).get()), 2);

    // A listener that adds itself again while notified waits for the next
    // change instead of hearing the same one twice.
    vtest::Listener relisten(csObjectTableUpdateAddSignalable);
    csObjectTableDelByObject(x.get());
    EXPECT_EQ(relisten.heard, 1);
    csObjectTableDelByName(str("b").get());
    EXPECT_EQ(relisten.heard, 2);
    csObjectTableUpdateDelSignalable(relisten.signalable.get());
}

// Halting empties the table for good: the objects only the table held are
// freed, later sets are ignored and leave no trace, and every kind of
// observer sees the empty table and lets go of what it held (inside an open
// update, when the update ends); halt never asserts the table's signal.
// The module's halt hook halts the table again when the runtime stops, so
// the test restarts the table, which also shows that shutdown clears the
// halted state.
TEST_F(CsObjectTable, HaltEmptiesTheTableAndEveryObserver) {
    static int traced = 0;
    auto backend = adopt(csSortBackendCreate(&thingSort, nullptr, nullptr, nullptr, nullptr, nullptr,
                                             [](PB_OBJ*, PB_OBJ*, TR_ANCHOR*) { ++traced; }, nullptr));
    for (bool bracket : {false, true}) {
        Obj kept = thing();
        csObjectTableSet(record("a", kept).get());
        csObjectTableSet(record("owned", thing()).get());  // only the table holds this object
        auto name = str("a");
        auto single = adopt(csObjectObserverCreate());
        csObjectObserverSetObservedName(single.get(), name.get());
        auto multi = adopt(csObjectMultiObserverCreate());
        csObjectMultiObserverSetObservedName(multi.get(), name.get());
        auto domain = adopt(csObjectDomainObserverCreate());
        csObjectDomainObserverSetObservedName(domain.get(), name.get());
        auto held = [&] {
            auto objects = adopt(csObjectMultiObserverObjectsDict(multi.get()));
            auto map = adopt(csObjectDomainObserverMap(domain.get()));
            return csObjectObserverHasObject(single.get()) + csObjectObserverHasRecord(single.get()) +
                   pbDictLength(objects.get()) + csObjectDomainObserverMapHasObject(map.get(), &thingSort);
        };
        ASSERT_EQ(held(), 4);
        Counter watcher;
        watcher.listen();

        if (bracket) cs___ObjectTableUpdateBegin();
        cs___ObjectTableHalt();
        EXPECT_EQ(watcher.hits, 0);
        EXPECT_EQ(adopt(csObjectTableLookupRecordByName(name.get())).get(), nullptr);
        EXPECT_EQ(held(), bracket ? 4 : 0);
        if (bracket) cs___ObjectTableUpdateEnd();
        EXPECT_EQ(held(), 0);
        EXPECT_EQ(pbSortLiveCount(&thingSort), 1);

        auto table = linked(adopt(cs___ModuleTrStream()).get(), 10);
        PB_INT links = trStreamLinksCount(table.get());
        traced = 0;
        csObjectTableSet(record("late", kept).get());
        EXPECT_EQ(trStreamLinksCount(table.get()), links);
        EXPECT_EQ(traced, 0);
        EXPECT_EQ(pbVectorLength(adopt(csObjectTableRecordsVector()).get()), 0);

        csObjectTableUpdateDelSignalable(watcher.signalable.get());
        single.reset();
        multi.reset();
        domain.reset();
        cs___ObjectTableShutdown();
        cs___ObjectTableStartup();
        csObjectTableSet(record("again", kept).get());
        EXPECT_EQ(nameOf(kept), "again");
        csObjectTableDelByObject(kept.get());
    }
}

using CsObjectTableDeathTest = CsObjectTable;

TEST_F(CsObjectTableDeathTest, PreconditionsStopTheProcess) {
    Obj x = thing();
    EXPECT_DEATH(csObjectRecordCreate(str("").get(), x.get()),
                 "cs_object_record.cpp:[0-9]+: csObjectRecordNameOk\\( name \\)");
    EXPECT_DEATH(cs___ObjectTableUpdateEnd(), "cs_object_table.cpp:[0-9]+: cs___UpdateInProgress > 0");
    EXPECT_DEATH(
        {
            cs___ObjectTableHalt();
            cs___ObjectTableHalt();
        },
        "cs_object_table.cpp:[0-9]+: !cs___Halted");
    EXPECT_DEATH(
        {
            cs___ObjectTableUpdateBegin();
            cs___ObjectTableShutdown();
        },
        "cs_object_table.cpp:[0-9]+: !cs___UpdateInProgress");
}

}  // namespace
