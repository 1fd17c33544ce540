// Enumerations: literal names to values and back.
#include "pb/pb_enum.h"

#include "pb/pb_module.h"
#include "pb/pb_name.h"
#include "pb/pb_name_table.hpp"
#include "pb/pb_stdfunc.hpp"

struct PB_ENUM {
    PB_OBJ obj;
    pb::NameTable* table;  // owned; changed only while unshared (copy-on-write)
};

namespace {

using Object = pb::NameTableObject<PB_ENUM, pb___sort_PB_ENUM>;

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_ENUM, &pb___module, "PB_ENUM", Object::free, nullptr, nullptr);
PB_STDFUNCS_DEFINE(pbEnum, PB_ENUM, pb___sort_PB_ENUM)

extern "C" PB_EXPORT PB_ENUM* pbEnumCreate(void) { return Object::create(); }

extern "C" PB_EXPORT PB_ENUM* pbEnumCreateFrom(PB_ENUM* source) { return Object::createFrom(source); }

extern "C" PB_EXPORT void pbEnumSetEnumerant(PB_ENUM** enumeration, PB_STRING* name, PB_INT value) {
    PB_COW(enumeration, pbEnumCreateFrom);
    PB_ASSERT(pbNameUpperCaseOk( name, PB_TRUE ));
    PB_ASSERT(value >= 0);
    (*enumeration)->table->set(name, value);
}

extern "C" PB_EXPORT void pbEnumSetEnumerantCstr(PB_ENUM** enumeration, const char* name, PB_INT length,
                                                 PB_INT value) {
    PB_ASSERT(name);
    auto s = pb::adopt(pbStringCreateFromCstr(name, length));
    pbEnumSetEnumerant(enumeration, s.get(), value);
}

extern "C" PB_EXPORT PB_STRING* pbEnumGenerate(PB_ENUM* enumeration, PB_INT value) {
    PB_ASSERT(enumeration);
    PB_STRING* name = enumeration->table->nameOf(value);
    return name ? pbStringRetain(name) : nullptr;
}

extern "C" PB_EXPORT PB_INT pbEnumParse(PB_ENUM* enumeration, PB_STRING* name) {
    PB_ASSERT(enumeration);
    PB_ASSERT(name);
    return enumeration->table->valueOf(name, -1);
}

extern "C" PB_EXPORT PB_INT pbEnumParseCstr(PB_ENUM* enumeration, const char* name, PB_INT length) {
    PB_ASSERT(name);
    auto s = pb::adopt(pbStringCreateFromCstr(name, length));
    return pbEnumParse(enumeration, s.get());
}

extern "C" PB_EXPORT PB_INT pbEnumLength(PB_ENUM* enumeration) {
    PB_ASSERT(enumeration);
    return PB_INT(enumeration->table->entries().size());
}
