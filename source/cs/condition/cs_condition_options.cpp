// Condition options: rulesets and hold times, copy-on-write, store form.
#include "cs/condition/cs_condition_options.h"

#include <atomic>
#include <new>

#include "cs/base/cs_module.h"
#include "cs/base/cs_store_keys.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

namespace {
constexpr PB_INT kDefaultHoldTime = 100;
}

struct CS_CONDITION_OPTIONS {
    PB_OBJ obj;
    CS_CONDITION_RULESET* ruleset;             // never NULL; value object, shared read-only
    CS_CONDITION_RULESET* hysteresisRuleset;   // NULL when absent; value object, shared read-only
    PB_BOOL onHoldTimeDefault;
    PB_INT onHoldTime;                         // >= 0, milliseconds
    PB_BOOL offHoldTimeDefault;
    PB_INT offHoldTime;                        // >= 0, milliseconds
    // The store forms (index: complete), made on first use and shared by
    // every caller, so that thousands of conditions with the same options
    // hold one trace copy of them. Published once by compare-and-swap;
    // cleared by the setters, which run only while the options are unshared.
    std::atomic<PB_STORE*> stores[2];
};

namespace {

using Options = CS_CONDITION_OPTIONS;

void optionsFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_CONDITION_OPTIONS);
    auto* opt = reinterpret_cast<Options*>(obj);
    pb::releaseField(opt->ruleset);
    pb::releaseField(opt->hysteresisRuleset);
    for (auto& store : opt->stores)
        if (PB_STORE* made = store.load(std::memory_order_relaxed)) pbStoreRelease(made);
}

// Called by every setter after its copy-on-write step.
void forgetStores(Options* opt) {
    for (auto& store : opt->stores)
        if (PB_STORE* made = store.exchange(nullptr, std::memory_order_relaxed)) pbStoreRelease(made);
}

PB_STORE* makeStore(Options* opt, PB_BOOL complete) {
    PB_STORE* store = pbStoreCreate();
    auto ruleset = pb::adopt(csConditionRulesetStore(opt->ruleset));
    pbStoreSetStore(&store, cs::storeKeys().ruleset, ruleset.get());
    if (opt->hysteresisRuleset) {
        auto hysteresis = pb::adopt(csConditionRulesetStore(opt->hysteresisRuleset));
        pbStoreSetStore(&store, cs::storeKeys().hysteresisRuleset, hysteresis.get());
    }
    if (complete || !opt->onHoldTimeDefault) pbStoreSetValueInt(&store, cs::storeKeys().onHoldTime, opt->onHoldTime);
    if (complete || !opt->offHoldTimeDefault) pbStoreSetValueInt(&store, cs::storeKeys().offHoldTime, opt->offHoldTime);
    return store;
}

void restoreHoldTime(PB_STORE* store, PB_STRING* key, Options** opt, void (*set)(Options**, PB_INT)) {
    PB_INT msec = 0;
    if (pbStoreValueInt(store, key, &msec) && msec >= 0) set(opt, msec);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_CONDITION_OPTIONS, &cs___module, "CS_CONDITION_OPTIONS", optionsFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csConditionOptions, CS_CONDITION_OPTIONS, cs___sort_CS_CONDITION_OPTIONS)

extern "C" PB_EXPORT CS_CONDITION_OPTIONS* csConditionOptionsCreate(void) {
    auto* opt = reinterpret_cast<Options*>(pb___ObjCreate(sizeof(Options), &cs___sort_CS_CONDITION_OPTIONS));
    for (auto& store : opt->stores) new (&store) std::atomic<PB_STORE*>(nullptr);
    opt->ruleset = csConditionRulesetCreate();
    opt->onHoldTimeDefault = PB_TRUE;
    opt->onHoldTime = kDefaultHoldTime;
    opt->offHoldTimeDefault = PB_TRUE;
    opt->offHoldTime = kDefaultHoldTime;
    return opt;
}

extern "C" PB_EXPORT CS_CONDITION_OPTIONS* csConditionOptionsCreateFrom(CS_CONDITION_OPTIONS* source) {
    PB_ASSERT(source);
    Options* opt = csConditionOptionsCreate();
    pb::setField(opt->ruleset, source->ruleset);
    pb::setField(opt->hysteresisRuleset, source->hysteresisRuleset);
    opt->onHoldTimeDefault = source->onHoldTimeDefault;
    opt->onHoldTime = source->onHoldTime;
    opt->offHoldTimeDefault = source->offHoldTimeDefault;
    opt->offHoldTime = source->offHoldTime;
    return opt;
}

extern "C" PB_EXPORT CS_CONDITION_RULESET* csConditionOptionsRuleset(CS_CONDITION_OPTIONS* opt) {
    PB_ASSERT(opt);
    return csConditionRulesetRetain(opt->ruleset);
}

extern "C" PB_EXPORT void csConditionOptionsSetRuleset(CS_CONDITION_OPTIONS** opt, CS_CONDITION_RULESET* rs) {
    PB_COW(opt, csConditionOptionsCreateFrom);
    forgetStores(*opt);
    PB_ASSERT(rs);
    pb::setField((*opt)->ruleset, rs);
}

extern "C" PB_EXPORT CS_CONDITION_RULESET* csConditionOptionsHysteresisRuleset(CS_CONDITION_OPTIONS* opt) {
    PB_ASSERT(opt);
    return opt->hysteresisRuleset ? csConditionRulesetRetain(opt->hysteresisRuleset) : nullptr;
}

extern "C" PB_EXPORT PB_BOOL csConditionOptionsHasHysteresisRuleset(CS_CONDITION_OPTIONS* opt) {
    PB_ASSERT(opt);
    return opt->hysteresisRuleset != nullptr;
}

extern "C" PB_EXPORT void csConditionOptionsSetHysteresisRuleset(CS_CONDITION_OPTIONS** opt,
                                                                 CS_CONDITION_RULESET* rs) {
    PB_COW(opt, csConditionOptionsCreateFrom);
    forgetStores(*opt);
    PB_ASSERT(rs);
    pb::setField((*opt)->hysteresisRuleset, rs);
}

extern "C" PB_EXPORT void csConditionOptionsDelHysteresisRuleset(CS_CONDITION_OPTIONS** opt) {
    PB_COW(opt, csConditionOptionsCreateFrom);
    forgetStores(*opt);
    pb::setField((*opt)->hysteresisRuleset, static_cast<CS_CONDITION_RULESET*>(nullptr));
}

extern "C" PB_EXPORT PB_INT csConditionOptionsOnHoldTime(CS_CONDITION_OPTIONS* opt) {
    PB_ASSERT(opt);
    return opt->onHoldTime;
}

extern "C" PB_EXPORT PB_BOOL csConditionOptionsOnHoldTimeDefault(CS_CONDITION_OPTIONS* opt) {
    PB_ASSERT(opt);
    return opt->onHoldTimeDefault;
}

extern "C" PB_EXPORT void csConditionOptionsSetOnHoldTime(CS_CONDITION_OPTIONS** opt, PB_INT msec) {
    PB_COW(opt, csConditionOptionsCreateFrom);
    forgetStores(*opt);
    PB_ASSERT(msec >= 0);
    (*opt)->onHoldTimeDefault = PB_FALSE;
    (*opt)->onHoldTime = msec;
}

extern "C" PB_EXPORT void csConditionOptionsSetOnHoldTimeDefault(CS_CONDITION_OPTIONS** opt) {
    PB_COW(opt, csConditionOptionsCreateFrom);
    forgetStores(*opt);
    (*opt)->onHoldTimeDefault = PB_TRUE;
    (*opt)->onHoldTime = kDefaultHoldTime;
}

extern "C" PB_EXPORT PB_INT csConditionOptionsOffHoldTime(CS_CONDITION_OPTIONS* opt) {
    PB_ASSERT(opt);
    return opt->offHoldTime;
}

extern "C" PB_EXPORT PB_BOOL csConditionOptionsOffHoldTimeDefault(CS_CONDITION_OPTIONS* opt) {
    PB_ASSERT(opt);
    return opt->offHoldTimeDefault;
}

extern "C" PB_EXPORT void csConditionOptionsSetOffHoldTime(CS_CONDITION_OPTIONS** opt, PB_INT msec) {
    PB_COW(opt, csConditionOptionsCreateFrom);
    forgetStores(*opt);
    PB_ASSERT(msec >= 0);
    (*opt)->offHoldTimeDefault = PB_FALSE;
    (*opt)->offHoldTime = msec;
}

extern "C" PB_EXPORT void csConditionOptionsSetOffHoldTimeDefault(CS_CONDITION_OPTIONS** opt) {
    PB_COW(opt, csConditionOptionsCreateFrom);
    forgetStores(*opt);
    (*opt)->offHoldTimeDefault = PB_TRUE;
    (*opt)->offHoldTime = kDefaultHoldTime;
}

extern "C" PB_EXPORT PB_STORE* csConditionOptionsStore(CS_CONDITION_OPTIONS* opt, PB_BOOL complete) {
    PB_ASSERT(opt);
    auto& cached = opt->stores[complete ? 1 : 0];
    PB_STORE* store = cached.load(std::memory_order_acquire);
    if (!store) {
        PB_STORE* made = makeStore(opt, complete);
        if (cached.compare_exchange_strong(store, made, std::memory_order_acq_rel, std::memory_order_acquire)) {
            store = made;
        } else {
            pbStoreRelease(made);
        }
    }
    return pbStoreRetain(store);
}

extern "C" PB_EXPORT CS_CONDITION_OPTIONS* csConditionOptionsRestore(PB_STORE* store) {
    PB_ASSERT(store);
    Options* opt = csConditionOptionsCreate();
    if (auto sub = pb::adopt(pbStoreStore(store, cs::storeKeys().ruleset))) {
        auto rs = pb::adopt(csConditionRulesetRestore(sub.get()));
        csConditionOptionsSetRuleset(&opt, rs.get());
    }
    if (auto sub = pb::adopt(pbStoreStore(store, cs::storeKeys().hysteresisRuleset))) {
        auto rs = pb::adopt(csConditionRulesetRestore(sub.get()));
        csConditionOptionsSetHysteresisRuleset(&opt, rs.get());
    }
    restoreHoldTime(store, cs::storeKeys().onHoldTime, &opt, csConditionOptionsSetOnHoldTime);
    restoreHoldTime(store, cs::storeKeys().offHoldTime, &opt, csConditionOptionsSetOffHoldTime);
    return opt;
}
