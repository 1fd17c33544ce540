// Hands arbitrary stores to every Restore and TryRestore of the module's
// value classes (options, status items, wrapped options, update objects,
// condition options with their rulesets, rules and operands, counter and
// rate limits, scheduler options). Bytes that decode as a store are used as they are; other
// bytes are read as steps that build a store, so that deep and odd shapes
// are within reach either way. The store and its sub-stores (up to a bound)
// go to each restore; whatever restores must store to a form that restores
// again and stores to the same bytes, and no object may outlive the input.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iterator>

#include "cs/base/cs_options.h"
#include "cs/base/cs_wrapped_options.h"
#include "cs/condition/cs_condition_options.h"
#include "cs/counter/cs_counter_limits.h"
#include "cs/rate/cs_rate_limits.h"
#include "cs/scheduler/cs_scheduler_options.h"
#include "cs/status/cs_status_item.h"
#include "cs/status/cs_status_items.h"
#include "cs/update/cs_update_object.h"
#include "cs_fuzz_support.hpp"
#include "pb/pb_string.h"

namespace {

using pb::adopt;
using Store = pb::Ref<PB_STORE>;

constexpr int kMaxStores = 64;    // stores of one input handed to the restores
constexpr int kMaxDepth = 12;     // nesting of a built store
constexpr int kMaxEntries = 32;   // entries of one built store

// Keys and values of the module's store forms, and texts near them.
const char* const kWords[] = {
    "type", "value", "sort", "mode", "config", "systemIdentifier", "comment", "includePrivateData", "maintenanceMode",
    "protected", "visible", "metaData", "content", "objects", "modules", "version",
    "CS_STATUS_ITEM_TYPE_BOOL", "CS_STATUS_ITEM_TYPE_INT", "CS_STATUS_ITEM_TYPE_STRING", "CS_STATUS_ITEM_TYPE_STORE",
    "CS_STATUS_ITEM_TYPE_BUFFER", "CS_STATUS_ITEM_TYPE_", "CS_WRAPPED", "CS_STUB", "CS_CONDITION",
    "CS_WRAPPED_MODE_FALLBACK", "CS_WRAPPED_MODE_DISABLED", "CS_WRAPPED_MODE_DISABLED_HERE", "cs_wrapped",
    "3f2b8c1e-4d5a-4e6f-8a7b-9c0d1e2f3a4b", "3F2B8C1E-4D5A-4E6F-8A7B-9C0D1E2F3A4B",
    "00000000-0000-0000-0000-000000000000", "3f2b8c1e4d5a4e6f8a7b9c0d1e2f3a4b", "", "AA==", "AAE=", "AAB=", "QUJD",
    "QUJ", "QUJD\n", "====", "csUp", "csConditionValue", "a", "A", "a_b", "_", "1abc", "true", "0", "-1",
    "ruleset", "hysteresisRuleset", "onHoldTime", "offHoldTime", "rules", "operator", "operandA", "operandB",
    "moduleName", "objectName", "statusItemName", "defaultValue", "CS_CONDITION_RULE_OPERATOR_INT_GT",
    "CS_CONDITION_RULESET_OPERATOR_XOR", "minValue", "maxValue", "minSecond", "maxSecond", "minMinute",
    "maxMinute", "minHour", "maxHour", "events", "interval", "CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND",
    "CS_SCHEDULER_INTERVAL_EVENTS_PER_MILLISECOND", "CS_SCHEDULER",
};
const PB_INT kInts[] = {0, 1, -1, 2, 1000, INT64_MIN, INT64_MAX};

// Builds a store from bytes: each step is one byte, with its operands in
// the bytes after it. Running out of bytes ends every open store.
class Builder {
public:
    Builder(const uint8_t* data, size_t size) : p_(data), n_(size) {}

    // Steps (the low three bits of the step's byte): 0 and 7 end the
    // store, 1 a string, 2 an integer, 3 false, 4 true, 5 a map store,
    // 6 an array store. In a map store the key comes first.
    PB_STORE* build(bool array, int depth) {
        PB_STORE* store = array ? pbStoreCreateArray() : pbStoreCreate();
        while (n_ > 0 && pbStoreLength(store) < kMaxEntries) {
            int step = next() & 7;
            if (step == 0 || step == 7) break;
            pb::Ref<PB_STRING> key = array ? nullptr : this->key();
            if (step == 1) {
                auto value = text();
                array ? pbStoreAppendValue(&store, value.get()) : pbStoreSetValue(&store, key.get(), value.get());
            } else if (step == 2) {
                PB_INT value = integer();
                array ? pbStoreAppendValueInt(&store, value) : pbStoreSetValueInt(&store, key.get(), value);
            } else if (step == 3 || step == 4) {
                PB_BOOL value = step == 4 ? PB_TRUE : PB_FALSE;
                array ? pbStoreAppendValueBool(&store, value) : pbStoreSetValueBool(&store, key.get(), value);
            } else {
                bool subArray = step == 6;
                Store sub = adopt(depth < kMaxDepth ? build(subArray, depth + 1)
                                                    : subArray ? pbStoreCreateArray() : pbStoreCreate());
                array ? pbStoreAppendStore(&store, sub.get()) : pbStoreSetStore(&store, key.get(), sub.get());
            }
        }
        return store;
    }

private:
    uint8_t next() {
        if (n_ == 0) return 0;
        --n_;
        return *p_++;
    }

    // A word of the list, or up to 31 raw bytes as UTF-8.
    pb::Ref<PB_STRING> text() {
        uint8_t b = next();
        if (b < 0xE0) return adopt(pbStringCreateFromCstr(kWords[b % std::size(kWords)], -1));
        size_t length = std::min<size_t>(b & 0x1F, n_);
        auto s = adopt(pbStringCreateFromCstr(reinterpret_cast<const char*>(p_), PB_INT(length)));
        p_ += length;
        n_ -= length;
        return s;
    }

    // A text that is a valid address; "value" when it is not.
    pb::Ref<PB_STRING> key() {
        auto s = text();
        return pbStoreAddressOk(s.get()) ? s : adopt(pbStringCreateFromCstr("value", -1));
    }

    PB_INT integer() {
        uint8_t b = next();
        if (b < 0xF0) return kInts[b % std::size(kInts)];
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v = v << 8 | next();
        return PB_INT(v);
    }

    const uint8_t* p_;
    size_t n_;
};

[[noreturn]] void fail(const char* what, PB_STORE* input, PB_STORE* stored) {
    std::fprintf(stderr, "%s: what was stored does not restore\n", what);
    csfuzz::dump("input", input);
    csfuzz::dump("stored", stored);
    std::abort();
}

void options(PB_STORE* s) {
    auto opt = adopt(csOptionsTryRestore(s));
    if (!opt) return;
    auto first = adopt(csOptionsStore(opt.get()));
    auto again = adopt(csOptionsTryRestore(first.get()));
    if (!again) fail("options", s, first.get());
    csfuzz::expectSameEncoding("options", first.get(), adopt(csOptionsStore(again.get())).get());
}

// Equal items compare equal, so the item restored from the stored form
// must compare equal to the first one.
void statusItem(PB_STORE* s) {
    auto item = adopt(csStatusItemRestore(s));
    if (!item) return;
    auto first = adopt(csStatusItemStore(item.get()));
    auto again = adopt(csStatusItemRestore(first.get()));
    if (!again) fail("status item", s, first.get());
    csfuzz::expectSameEncoding("status item", first.get(), adopt(csStatusItemStore(again.get())).get());
    if (csStatusItemCompare(item.get(), again.get()) != 0) fail("status item (compare)", s, first.get());
    adopt(csStatusItemToTrPropertyValue(item.get()));
}

void statusItems(PB_STORE* s) {
    auto items = adopt(csStatusItemsRestore(s));
    if (!items) fail("status items", s, nullptr);
    auto first = adopt(csStatusItemsStore(items.get()));
    auto again = adopt(csStatusItemsRestore(first.get()));
    csfuzz::expectSameEncoding("status items", first.get(), adopt(csStatusItemsStore(again.get())).get());
    if (!csStatusItemsEquals(items.get(), again.get())) fail("status items (equals)", s, first.get());
}

void wrappedOptions(PB_STORE* s) {
    auto opt = adopt(csWrappedOptionsRestore(s));
    if (!opt) fail("wrapped options", s, nullptr);
    auto first = adopt(csWrappedOptionsStore(opt.get()));
    auto again = adopt(csWrappedOptionsRestore(first.get()));
    csfuzz::expectSameEncoding("wrapped options", first.get(), adopt(csWrappedOptionsStore(again.get())).get());
}

void updateObject(PB_STORE* s) {
    auto uo = adopt(csUpdateObjectTryRestore(s));
    if (!uo) return;
    auto first = adopt(csUpdateObjectStore(uo.get()));
    auto again = adopt(csUpdateObjectTryRestore(first.get()));
    if (!again) fail("update object", s, first.get());
    csfuzz::expectSameEncoding("update object", first.get(), adopt(csUpdateObjectStore(again.get())).get());
}

void schedulerOptions(PB_STORE* s) {
    auto opt = adopt(csSchedulerOptionsRestore(s));
    if (!opt) fail("scheduler options", s, nullptr);
    auto first = adopt(csSchedulerOptionsStore(opt.get()));
    auto again = adopt(csSchedulerOptionsRestore(first.get()));
    csfuzz::expectSameEncoding("scheduler options", first.get(), adopt(csSchedulerOptionsStore(again.get())).get());
}

// Counter limits keep any integer bound; rate limits only those >= 0.
// Limits compare by identity, so their stored forms are what must agree.
void counterLimits(PB_STORE* s) {
    auto lim = adopt(csCounterLimitsRestore(s));
    if (!lim) fail("counter limits", s, nullptr);
    auto first = adopt(csCounterLimitsStore(lim.get()));
    auto again = adopt(csCounterLimitsRestore(first.get()));
    csfuzz::expectSameEncoding("counter limits", first.get(), adopt(csCounterLimitsStore(again.get())).get());
}

void rateLimits(PB_STORE* s) {
    auto lim = adopt(csRateLimitsRestore(s));
    if (!lim) fail("rate limits", s, nullptr);
    auto first = adopt(csRateLimitsStore(lim.get()));
    auto again = adopt(csRateLimitsRestore(first.get()));
    csfuzz::expectSameEncoding("rate limits", first.get(), adopt(csRateLimitsStore(again.get())).get());
    PB_INT bounds[] = {csRateLimitsMinSecond(lim.get()), csRateLimitsMaxSecond(lim.get()),
                       csRateLimitsMinMinute(lim.get()), csRateLimitsMaxMinute(lim.get()),
                       csRateLimitsMinHour(lim.get()), csRateLimitsMaxHour(lim.get())};
    for (PB_INT b : bounds)
        if (b < 0) fail("rate limits (negative bound)", s, first.get());
}

// Condition options, and on their own the rulesets, rules and operands
// that the options' store form nests.
void conditionOptions(PB_STORE* s) {
    auto opt = adopt(csConditionOptionsRestore(s));
    auto first = adopt(csConditionOptionsStore(opt.get(), PB_FALSE));
    auto again = adopt(csConditionOptionsRestore(first.get()));
    csfuzz::expectSameEncoding("condition options", first.get(),
                               adopt(csConditionOptionsStore(again.get(), PB_FALSE)).get());
    adopt(csConditionRulesetStore(adopt(csConditionRulesetRestore(s)).get()));
    adopt(csConditionRuleStore(adopt(csConditionRuleRestore(s)).get()));
    adopt(csConditionRuleOperandStore(adopt(csConditionRuleOperandRestore(s)).get()));
}

// The store and its sub-stores, breadth first, up to kMaxStores of them.
void restoreAll(PB_STORE* root) {
    std::deque<Store> pending{pb::retain(root)};
    for (int visited = 0; !pending.empty() && visited < kMaxStores; ++visited) {
        Store s = std::move(pending.front());
        pending.pop_front();
        options(s.get());
        statusItem(s.get());
        statusItems(s.get());
        wrappedOptions(s.get());
        updateObject(s.get());
        schedulerOptions(s.get());
        conditionOptions(s.get());
        counterLimits(s.get());
        rateLimits(s.get());
        for (PB_INT i = 0; i < pbStoreLength(s.get()); ++i)
            if (Store sub = adopt(pbStoreStoreAt(s.get(), i))) pending.push_back(std::move(sub));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static csfuzz::LiveObjects* before = nullptr;
    if (!before) {
        csfuzz::startModule();
        before = new csfuzz::LiveObjects();
    }
    {
        PB_STORE_HEADER* header = nullptr;
        Store store = adopt(pbStoreTryDecodeBytes(data, PB_INT(size), &header));
        if (header) pbObjRelease(pbStoreHeaderObj(header));
        if (!store) store = adopt(Builder(data, size).build(false, 0));
        restoreAll(store.get());
    }
    before->expectUnchanged("after the input");
    return 0;
}
