// Constant store keys: one way to make them, and the table of the value
// classes' keys.
//
// cs::storeKey makes the key for a text: the runtime's shared immortal
// string for it (retaining and releasing it cost nothing), or, should the
// runtime share no more strings, a string of the caller's own. Every table
// of constant keys in the module makes its keys with it, once: the
// configuration's and the update objects' at start-up, the value classes'
// (cs::storeKeys) on first use.
//
// Store and Restore of the options, wrapped options, condition options,
// rulesets, rules and operands, scheduler options, status items and the
// counter and rate limits address their entries by the strings of
// cs::storeKeys instead of making a string from C text on every call. Value
// objects are stored and restored before the module starts and after it
// stops as well, so their table is not tied to the module's start-up; a key
// the runtime could not share is kept to the end of the process.
#pragma once

#include "pb/pb_ref.hpp"
#include "pb/pb_string.h"

// X(name, "text") for every key; name is the member of cs::StoreKeys.
#define CS___STORE_KEYS(X) \
    X(comment, "comment") \
    X(config, "config") \
    X(defaultValue, "defaultValue") \
    X(events, "events") \
    X(hysteresisRuleset, "hysteresisRuleset") \
    X(includePrivateData, "includePrivateData") \
    X(interval, "interval") \
    X(maintenanceMode, "maintenanceMode") \
    X(maxHour, "maxHour") \
    X(maxMinute, "maxMinute") \
    X(maxSecond, "maxSecond") \
    X(maxValue, "maxValue") \
    X(minHour, "minHour") \
    X(minMinute, "minMinute") \
    X(minSecond, "minSecond") \
    X(minValue, "minValue") \
    X(mode, "mode") \
    X(moduleName, "moduleName") \
    X(objectName, "objectName") \
    X(offHoldTime, "offHoldTime") \
    X(onHoldTime, "onHoldTime") \
    X(operandA, "operandA") \
    X(operandB, "operandB") \
    X(operator_, "operator") \
    X(rules, "rules") \
    X(ruleset, "ruleset") \
    X(sort, "sort") \
    X(statusItemName, "statusItemName") \
    X(systemIdentifier, "systemIdentifier") \
    X(type, "type") \
    X(value, "value")

namespace cs {

// The key for text (UTF-8, up to the NUL).
pb::Ref<PB_STRING> storeKey(const char* text);

struct StoreKeys {
#define CS___STORE_KEY_MEMBER(name, text) PB_STRING* name;
    CS___STORE_KEYS(CS___STORE_KEY_MEMBER)
#undef CS___STORE_KEY_MEMBER
};

// The table, made on the first call; safe from any thread.
const StoreKeys& storeKeys();

}  // namespace cs
