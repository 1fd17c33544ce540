// Rulesets: an operator and a vector of rules, copy-on-write, store form.
#include "cs/condition/cs_condition_ruleset.h"

#include "cs/base/cs_module.h"
#include "cs/base/cs_store_keys.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_CONDITION_RULESET {
    PB_OBJ obj;
    PB_INT op;          // CS_CONDITION_RULESET_OPERATOR_OK
    PB_VECTOR* rules;   // never NULL; only CS_CONDITION_RULE; a value, shared with copies
};

namespace {

using Ruleset = CS_CONDITION_RULESET;

void rulesetFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_CONDITION_RULESET);
    pb::releaseField(reinterpret_cast<Ruleset*>(obj)->rules);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_CONDITION_RULESET, &cs___module, "CS_CONDITION_RULESET", rulesetFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csConditionRuleset, CS_CONDITION_RULESET, cs___sort_CS_CONDITION_RULESET)

extern "C" PB_EXPORT CS_CONDITION_RULESET* csConditionRulesetCreate(void) {
    auto* rs = reinterpret_cast<Ruleset*>(pb___ObjCreate(sizeof(Ruleset), &cs___sort_CS_CONDITION_RULESET));
    rs->op = CS_CONDITION_RULESET_OPERATOR_AND;
    rs->rules = pbVectorCreate();
    return rs;
}

extern "C" PB_EXPORT CS_CONDITION_RULESET* csConditionRulesetCreateFrom(CS_CONDITION_RULESET* source) {
    PB_ASSERT(source);
    Ruleset* rs = csConditionRulesetCreate();
    rs->op = source->op;
    pb::setField(rs->rules, source->rules);
    return rs;
}

extern "C" PB_EXPORT PB_INT csConditionRulesetOperator(CS_CONDITION_RULESET* rs) {
    PB_ASSERT(rs);
    return rs->op;
}

extern "C" PB_EXPORT void csConditionRulesetSetOperator(CS_CONDITION_RULESET** rs, PB_INT op) {
    PB_COW(rs, csConditionRulesetCreateFrom);
    PB_ASSERT(CS_CONDITION_RULESET_OPERATOR_OK( op ));
    (*rs)->op = op;
}

extern "C" PB_EXPORT PB_INT csConditionRulesetRulesLength(CS_CONDITION_RULESET* rs) {
    PB_ASSERT(rs);
    return pbVectorLength(rs->rules);
}

extern "C" PB_EXPORT CS_CONDITION_RULE* csConditionRulesetRuleAt(CS_CONDITION_RULESET* rs, PB_INT index) {
    PB_ASSERT(rs);
    return csConditionRuleFrom(pbVectorObjAt(rs->rules, index));
}

extern "C" PB_EXPORT PB_VECTOR* csConditionRulesetRulesVector(CS_CONDITION_RULESET* rs) {
    PB_ASSERT(rs);
    return pbVectorRetain(rs->rules);
}

extern "C" PB_EXPORT void csConditionRulesetSetRulesVector(CS_CONDITION_RULESET** rs, PB_VECTOR* vec) {
    PB_COW(rs, csConditionRulesetCreateFrom);
    PB_ASSERT(vec);
    PB_ASSERT(pbVectorContainsOnly( vec, csConditionRuleSort() ));
    pb::setField((*rs)->rules, vec);
}

extern "C" PB_EXPORT void csConditionRulesetAppendRule(CS_CONDITION_RULESET** rs, CS_CONDITION_RULE* rule) {
    PB_COW(rs, csConditionRulesetCreateFrom);
    PB_ASSERT(rule);
    pbVectorAppendObj(&(*rs)->rules, csConditionRuleObj(rule));
}

extern "C" PB_EXPORT void csConditionRulesetPrependRule(CS_CONDITION_RULESET** rs, CS_CONDITION_RULE* rule) {
    PB_COW(rs, csConditionRulesetCreateFrom);
    PB_ASSERT(rule);
    pbVectorPrependObj(&(*rs)->rules, csConditionRuleObj(rule));
}

extern "C" PB_EXPORT void csConditionRulesetInsertRule(CS_CONDITION_RULESET** rs, PB_INT index,
                                                      CS_CONDITION_RULE* rule) {
    PB_COW(rs, csConditionRulesetCreateFrom);
    PB_ASSERT(rule);
    pbVectorInsertObj(&(*rs)->rules, index, csConditionRuleObj(rule));
}

extern "C" PB_EXPORT void csConditionRulesetSetRuleAt(CS_CONDITION_RULESET** rs, PB_INT index,
                                                     CS_CONDITION_RULE* rule) {
    PB_COW(rs, csConditionRulesetCreateFrom);
    PB_ASSERT(rule);
    pbVectorSetObjAt(&(*rs)->rules, index, csConditionRuleObj(rule));
}

extern "C" PB_EXPORT void csConditionRulesetClearRules(CS_CONDITION_RULESET** rs) {
    PB_COW(rs, csConditionRulesetCreateFrom);
    pbVectorClear(&(*rs)->rules);
}

extern "C" PB_EXPORT PB_STORE* csConditionRulesetStore(CS_CONDITION_RULESET* rs) {
    PB_ASSERT(rs);
    PB_STORE* store = pbStoreCreate();
    auto name = pb::adopt(csConditionRulesetOperatorToString(rs->op));
    pbStoreSetValue(&store, cs::storeKeys().operator_, name.get());
    auto rules = pb::adopt(pbStoreCreateArray());
    for (PB_INT i = 0; i < pbVectorLength(rs->rules); ++i) {
        auto rule = pb::adopt(csConditionRuleFrom(pbVectorObjAt(rs->rules, i)));
        auto sub = pb::adopt(csConditionRuleStore(rule.get()));
        pbStoreAppendStore(rules.out(), sub.get());
    }
    pbStoreSetStore(&store, cs::storeKeys().rules, rules.get());
    return store;
}

extern "C" PB_EXPORT CS_CONDITION_RULESET* csConditionRulesetRestore(PB_STORE* store) {
    PB_ASSERT(store);
    Ruleset* rs = csConditionRulesetCreate();
    if (auto name = pb::adopt(pbStoreValue(store, cs::storeKeys().operator_))) {
        PB_INT op = csConditionRulesetOperatorFromString(name.get());
        if (CS_CONDITION_RULESET_OPERATOR_OK( op )) rs->op = op;
    }
    if (auto rules = pb::adopt(pbStoreStore(store, cs::storeKeys().rules))) {
        for (PB_INT i = 0; i < pbStoreLength(rules.get()); ++i) {
            auto sub = pb::adopt(pbStoreStoreAt(rules.get(), i));
            if (!sub) continue;
            auto rule = pb::adopt(csConditionRuleRestore(sub.get()));
            pbVectorAppendObj(&rs->rules, csConditionRuleObj(rule.get()));
        }
    }
    return rs;
}
