// Rule operands: fields, copy-on-write setters, store form.
#include "cs/condition/cs_condition_rule_operand.h"

#include "cs/base/cs_module.h"
#include "cs/base/cs_store_keys.hpp"
#include "cs/object/cs_object_record.h"
#include "pb/pb_name.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_CONDITION_RULE_OPERAND {
    PB_OBJ obj;
    PB_MODULE* module;           // NULL when absent; run-time only
    PB_STRING* moduleName;       // NULL when absent; pbModuleNameOk
    PB_OBJ* object;              // NULL when absent; run-time only
    PB_STRING* objectName;       // NULL when absent; csObjectRecordNameOk
    PB_STRING* statusItemName;   // NULL when absent; lower camel case
    PB_STRING* defaultValue;     // never NULL
};

namespace {

using Operand = CS_CONDITION_RULE_OPERAND;

void operandFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_CONDITION_RULE_OPERAND);
    auto* operand = reinterpret_cast<Operand*>(obj);
    pb::releaseField(operand->module);
    pb::releaseField(operand->moduleName);
    pb::releaseField(operand->object);
    pb::releaseField(operand->objectName);
    pb::releaseField(operand->statusItemName);
    pb::releaseField(operand->defaultValue);
}

template <class T>
T* get(Operand* operand, T* Operand::*field) {
    PB_ASSERT(operand);
    T* value = operand->*field;
    if (value) pbObjRetain(reinterpret_cast<PB_OBJ*>(value));
    return value;
}

template <class T>
PB_BOOL has(Operand* operand, T* Operand::*field) {
    PB_ASSERT(operand);
    return operand->*field != nullptr;
}

template <class T>
void del(Operand** operand, T* Operand::*field) {
    PB_COW(operand, csConditionRuleOperandCreateFrom);
    pb::setField((*operand)->*field, static_cast<T*>(nullptr));
}

// A string of the store under key, kept only when it passes ok.
pb::Ref<PB_STRING> storedName(PB_STORE* store, PB_STRING* key, PB_BOOL (*ok)(PB_STRING*)) {
    auto value = pb::adopt(pbStoreValue(store, key));
    if (value && !ok(value.get())) value.reset();
    return value;
}

PB_BOOL itemNameOk(PB_STRING* name) { return pbNameCamelCaseOk(name, PB_TRUE); }

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_CONDITION_RULE_OPERAND, &cs___module, "CS_CONDITION_RULE_OPERAND", operandFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(csConditionRuleOperand, CS_CONDITION_RULE_OPERAND, cs___sort_CS_CONDITION_RULE_OPERAND)

extern "C" PB_EXPORT CS_CONDITION_RULE_OPERAND* csConditionRuleOperandCreate(void) {
    auto* operand = reinterpret_cast<Operand*>(
        pb___ObjCreate(sizeof(Operand), &cs___sort_CS_CONDITION_RULE_OPERAND));
    operand->defaultValue = pbStringCreate();
    return operand;
}

extern "C" PB_EXPORT CS_CONDITION_RULE_OPERAND* csConditionRuleOperandCreateFrom(CS_CONDITION_RULE_OPERAND* source) {
    PB_ASSERT(source);
    Operand* operand = csConditionRuleOperandCreate();
    pb::setField(operand->module, source->module);
    pb::setField(operand->moduleName, source->moduleName);
    pb::setField(operand->object, source->object);
    pb::setField(operand->objectName, source->objectName);
    pb::setField(operand->statusItemName, source->statusItemName);
    pb::setField(operand->defaultValue, source->defaultValue);
    return operand;
}

extern "C" PB_EXPORT PB_MODULE* csConditionRuleOperandModule(CS_CONDITION_RULE_OPERAND* operand) {
    return get(operand, &Operand::module);
}
extern "C" PB_EXPORT PB_BOOL csConditionRuleOperandHasModule(CS_CONDITION_RULE_OPERAND* operand) {
    return has(operand, &Operand::module);
}
extern "C" PB_EXPORT void csConditionRuleOperandSetModule(CS_CONDITION_RULE_OPERAND** operand, PB_MODULE* module) {
    PB_COW(operand, csConditionRuleOperandCreateFrom);
    PB_ASSERT(module);
    pb::setField((*operand)->module, module);
}
extern "C" PB_EXPORT void csConditionRuleOperandDelModule(CS_CONDITION_RULE_OPERAND** operand) {
    del(operand, &Operand::module);
}

extern "C" PB_EXPORT PB_STRING* csConditionRuleOperandModuleName(CS_CONDITION_RULE_OPERAND* operand) {
    return get(operand, &Operand::moduleName);
}
extern "C" PB_EXPORT PB_BOOL csConditionRuleOperandHasModuleName(CS_CONDITION_RULE_OPERAND* operand) {
    return has(operand, &Operand::moduleName);
}
extern "C" PB_EXPORT void csConditionRuleOperandSetModuleName(CS_CONDITION_RULE_OPERAND** operand,
                                                              PB_STRING* moduleName) {
    PB_COW(operand, csConditionRuleOperandCreateFrom);
    PB_ASSERT(pbModuleNameOk( moduleName ));
    pb::setField((*operand)->moduleName, moduleName);
}
extern "C" PB_EXPORT void csConditionRuleOperandDelModuleName(CS_CONDITION_RULE_OPERAND** operand) {
    del(operand, &Operand::moduleName);
}

extern "C" PB_EXPORT PB_OBJ* csConditionRuleOperandObject(CS_CONDITION_RULE_OPERAND* operand) {
    return get(operand, &Operand::object);
}
extern "C" PB_EXPORT PB_BOOL csConditionRuleOperandHasObject(CS_CONDITION_RULE_OPERAND* operand) {
    return has(operand, &Operand::object);
}
extern "C" PB_EXPORT void csConditionRuleOperandSetObject(CS_CONDITION_RULE_OPERAND** operand, PB_OBJ* object) {
    PB_COW(operand, csConditionRuleOperandCreateFrom);
    PB_ASSERT(object);
    pb::setField((*operand)->object, object);
}
extern "C" PB_EXPORT void csConditionRuleOperandDelObject(CS_CONDITION_RULE_OPERAND** operand) {
    del(operand, &Operand::object);
}

extern "C" PB_EXPORT PB_STRING* csConditionRuleOperandObjectName(CS_CONDITION_RULE_OPERAND* operand) {
    return get(operand, &Operand::objectName);
}
extern "C" PB_EXPORT PB_BOOL csConditionRuleOperandHasObjectName(CS_CONDITION_RULE_OPERAND* operand) {
    return has(operand, &Operand::objectName);
}
extern "C" PB_EXPORT void csConditionRuleOperandSetObjectName(CS_CONDITION_RULE_OPERAND** operand,
                                                              PB_STRING* objectName) {
    PB_COW(operand, csConditionRuleOperandCreateFrom);
    PB_ASSERT(csObjectRecordNameOk( objectName ));
    pb::setField((*operand)->objectName, objectName);
}
extern "C" PB_EXPORT void csConditionRuleOperandDelObjectName(CS_CONDITION_RULE_OPERAND** operand) {
    del(operand, &Operand::objectName);
}

extern "C" PB_EXPORT PB_STRING* csConditionRuleOperandStatusItemName(CS_CONDITION_RULE_OPERAND* operand) {
    return get(operand, &Operand::statusItemName);
}
extern "C" PB_EXPORT PB_BOOL csConditionRuleOperandHasStatusItemName(CS_CONDITION_RULE_OPERAND* operand) {
    return has(operand, &Operand::statusItemName);
}
extern "C" PB_EXPORT void csConditionRuleOperandSetStatusItemName(CS_CONDITION_RULE_OPERAND** operand,
                                                                  PB_STRING* statusItemName) {
    PB_COW(operand, csConditionRuleOperandCreateFrom);
    PB_ASSERT(pbNameCamelCaseOk( statusItemName, PB_TRUE ));
    pb::setField((*operand)->statusItemName, statusItemName);
}
extern "C" PB_EXPORT void csConditionRuleOperandDelStatusItemName(CS_CONDITION_RULE_OPERAND** operand) {
    del(operand, &Operand::statusItemName);
}

extern "C" PB_EXPORT PB_STRING* csConditionRuleOperandDefaultValue(CS_CONDITION_RULE_OPERAND* operand) {
    return get(operand, &Operand::defaultValue);
}
extern "C" PB_EXPORT void csConditionRuleOperandSetDefaultValue(CS_CONDITION_RULE_OPERAND** operand,
                                                                PB_STRING* defaultValue) {
    PB_COW(operand, csConditionRuleOperandCreateFrom);
    PB_ASSERT(defaultValue);
    pb::setField((*operand)->defaultValue, defaultValue);
}

extern "C" PB_EXPORT PB_STORE* csConditionRuleOperandStore(CS_CONDITION_RULE_OPERAND* operand) {
    PB_ASSERT(operand);
    PB_STORE* store = pbStoreCreate();
    if (operand->moduleName) pbStoreSetValue(&store, cs::storeKeys().moduleName, operand->moduleName);
    if (operand->objectName) pbStoreSetValue(&store, cs::storeKeys().objectName, operand->objectName);
    if (operand->statusItemName) pbStoreSetValue(&store, cs::storeKeys().statusItemName, operand->statusItemName);
    pbStoreSetValue(&store, cs::storeKeys().defaultValue, operand->defaultValue);
    return store;
}

extern "C" PB_EXPORT CS_CONDITION_RULE_OPERAND* csConditionRuleOperandRestore(PB_STORE* store) {
    PB_ASSERT(store);
    Operand* operand = csConditionRuleOperandCreate();
    if (auto name = storedName(store, cs::storeKeys().moduleName, pbModuleNameOk))
        csConditionRuleOperandSetModuleName(&operand, name.get());
    if (auto name = storedName(store, cs::storeKeys().objectName, csObjectRecordNameOk))
        csConditionRuleOperandSetObjectName(&operand, name.get());
    if (auto name = storedName(store, cs::storeKeys().statusItemName, itemNameOk))
        csConditionRuleOperandSetStatusItemName(&operand, name.get());
    if (auto value = pb::adopt(pbStoreValue(store, cs::storeKeys().defaultValue)))
        csConditionRuleOperandSetDefaultValue(&operand, value.get());
    return operand;
}
