/* Rule operands (CS_CONDITION_RULE_OPERAND): where one side of a rule takes
 * its value from.
 *
 *   module          live module reference, optional    (not stored)
 *   moduleName      string, optional, pbModuleNameOk    "moduleName"
 *   object          live object reference, optional    (not stored)
 *   objectName      string, optional, csObjectRecordNameOk   "objectName"
 *   statusItemName  string, optional, lower camel case  "statusItemName"
 *   defaultValue    string, never absent, "" at first   "defaultValue"
 *
 * The status read is that of the first of module, moduleName, object and
 * objectName that is set; the item named statusItemName is read from it as
 * a boolean or an integer, and defaultValue (scanned as a whole) stands in
 * when the status, the name or the item is missing or does not convert.
 * Operands are values: setters take the address of the caller's handle and
 * copy first when another holder shares the object.
 *
 *     CS_CONDITION_RULE_OPERAND* a = csConditionRuleOperandCreate();
 *     csConditionRuleOperandSetModuleName( &a, moduleName );
 *     csConditionRuleOperandSetStatusItemName( &a, itemName );
 *     csConditionRuleOperandSetDefaultValue( &a, zeroText ); */
#ifndef CS_CONDITION_RULE_OPERAND_H
#define CS_CONDITION_RULE_OPERAND_H

#include "pb/pb_module.h"
#include "pb/pb_store.h"
#include "pb/pb_string.h"

PB_BEGIN_DECLS

typedef struct CS_CONDITION_RULE_OPERAND CS_CONDITION_RULE_OPERAND;

extern PB_EXPORT PB_SORT cs___sort_CS_CONDITION_RULE_OPERAND;
PB_STDFUNCS_DECLARE(csConditionRuleOperand, CS_CONDITION_RULE_OPERAND);

PB_EXPORT CS_CONDITION_RULE_OPERAND* csConditionRuleOperandCreate(void);
PB_EXPORT CS_CONDITION_RULE_OPERAND* csConditionRuleOperandCreateFrom(CS_CONDITION_RULE_OPERAND* source);

PB_EXPORT PB_MODULE* csConditionRuleOperandModule(CS_CONDITION_RULE_OPERAND* operand);
PB_EXPORT PB_BOOL csConditionRuleOperandHasModule(CS_CONDITION_RULE_OPERAND* operand);
PB_EXPORT void csConditionRuleOperandSetModule(CS_CONDITION_RULE_OPERAND** operand, PB_MODULE* module);
PB_EXPORT void csConditionRuleOperandDelModule(CS_CONDITION_RULE_OPERAND** operand);

PB_EXPORT PB_STRING* csConditionRuleOperandModuleName(CS_CONDITION_RULE_OPERAND* operand);
PB_EXPORT PB_BOOL csConditionRuleOperandHasModuleName(CS_CONDITION_RULE_OPERAND* operand);
/* Precondition: pbModuleNameOk( moduleName ). */
PB_EXPORT void csConditionRuleOperandSetModuleName(CS_CONDITION_RULE_OPERAND** operand, PB_STRING* moduleName);
PB_EXPORT void csConditionRuleOperandDelModuleName(CS_CONDITION_RULE_OPERAND** operand);

PB_EXPORT PB_OBJ* csConditionRuleOperandObject(CS_CONDITION_RULE_OPERAND* operand);
PB_EXPORT PB_BOOL csConditionRuleOperandHasObject(CS_CONDITION_RULE_OPERAND* operand);
PB_EXPORT void csConditionRuleOperandSetObject(CS_CONDITION_RULE_OPERAND** operand, PB_OBJ* object);
PB_EXPORT void csConditionRuleOperandDelObject(CS_CONDITION_RULE_OPERAND** operand);

PB_EXPORT PB_STRING* csConditionRuleOperandObjectName(CS_CONDITION_RULE_OPERAND* operand);
PB_EXPORT PB_BOOL csConditionRuleOperandHasObjectName(CS_CONDITION_RULE_OPERAND* operand);
/* Precondition: csObjectRecordNameOk( objectName ). */
PB_EXPORT void csConditionRuleOperandSetObjectName(CS_CONDITION_RULE_OPERAND** operand, PB_STRING* objectName);
PB_EXPORT void csConditionRuleOperandDelObjectName(CS_CONDITION_RULE_OPERAND** operand);

PB_EXPORT PB_STRING* csConditionRuleOperandStatusItemName(CS_CONDITION_RULE_OPERAND* operand);
PB_EXPORT PB_BOOL csConditionRuleOperandHasStatusItemName(CS_CONDITION_RULE_OPERAND* operand);
/* Precondition: pbNameCamelCaseOk( statusItemName, PB_TRUE ). */
PB_EXPORT void csConditionRuleOperandSetStatusItemName(CS_CONDITION_RULE_OPERAND** operand,
                                                       PB_STRING* statusItemName);
PB_EXPORT void csConditionRuleOperandDelStatusItemName(CS_CONDITION_RULE_OPERAND** operand);

PB_EXPORT PB_STRING* csConditionRuleOperandDefaultValue(CS_CONDITION_RULE_OPERAND* operand);
PB_EXPORT void csConditionRuleOperandSetDefaultValue(CS_CONDITION_RULE_OPERAND** operand, PB_STRING* defaultValue);

/* The names and the default value; the live references are not stored. */
PB_EXPORT PB_STORE* csConditionRuleOperandStore(CS_CONDITION_RULE_OPERAND* operand);
/* Never NULL: names that fail their check are left out. */
PB_EXPORT CS_CONDITION_RULE_OPERAND* csConditionRuleOperandRestore(PB_STORE* store);

PB_END_DECLS

#endif
