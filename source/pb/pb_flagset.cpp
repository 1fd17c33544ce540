// Flagsets: names of flag bits, generated and parsed as text.
#include "pb/pb_flagset.h"

#include "pb/pb_module.h"
#include "pb/pb_name.h"
#include "pb/pb_name_table.hpp"
#include "pb/pb_stdfunc.hpp"

struct PB_FLAGSET {
    PB_OBJ obj;
    pb::NameTable* table;  // owned; changed only while unshared (copy-on-write)
};

namespace {

using Object = pb::NameTableObject<PB_FLAGSET, pb___sort_PB_FLAGSET>;

bool isSeparator(PB_CHAR c) { return c == ',' || c == '|' || c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_FLAGSET, &pb___module, "PB_FLAGSET", Object::free, nullptr, nullptr);
PB_STDFUNCS_DEFINE(pbFlagset, PB_FLAGSET, pb___sort_PB_FLAGSET)

extern "C" PB_EXPORT PB_FLAGSET* pbFlagsetCreate(void) { return Object::create(); }

extern "C" PB_EXPORT PB_FLAGSET* pbFlagsetCreateFrom(PB_FLAGSET* source) { return Object::createFrom(source); }

extern "C" PB_EXPORT void pbFlagsetSetFlag(PB_FLAGSET** flagset, PB_STRING* name, PB_INT flag) {
    PB_COW(flagset, pbFlagsetCreateFrom);
    PB_ASSERT(pbNameUpperCaseOk( name, PB_TRUE ));
    PB_ASSERT(flag != 0);
    (*flagset)->table->set(name, flag);
}

extern "C" PB_EXPORT void pbFlagsetSetFlagCstr(PB_FLAGSET** flagset, const char* name, PB_INT length,
                                               PB_INT flag) {
    PB_ASSERT(name);
    auto s = pb::adopt(pbStringCreateFromCstr(name, length));
    pbFlagsetSetFlag(flagset, s.get(), flag);
}

extern "C" PB_EXPORT PB_BOOL pbFlagsetHasFlag(PB_FLAGSET* flagset, PB_STRING* name) {
    PB_ASSERT(flagset);
    PB_ASSERT(name);
    return flagset->table->valueOf(name, 0) != 0;
}

extern "C" PB_EXPORT PB_BOOL pbFlagsetHasFlagCstr(PB_FLAGSET* flagset, const char* name, PB_INT length) {
    PB_ASSERT(name);
    auto s = pb::adopt(pbStringCreateFromCstr(name, length));
    return pbFlagsetHasFlag(flagset, s.get());
}

extern "C" PB_EXPORT PB_STRING* pbFlagsetGenerate(PB_FLAGSET* flagset, PB_INT flags) {
    PB_ASSERT(flagset);
    PB_STRING* out = pbStringCreate();
    for (const auto& [name, value] : flagset->table->entries()) {
        if ((flags & value) != value) continue;
        if (pbStringLength(out)) pbStringAppendCstr(&out, ", ", -1);
        pbStringAppend(&out, name.get());
    }
    return out;
}

extern "C" PB_EXPORT PB_INT pbFlagsetParse(PB_FLAGSET* flagset, PB_STRING* text) {
    PB_ASSERT(flagset);
    PB_ASSERT(text);
    PB_INT flags = 0;
    const PB_CHAR* c = pbStringBacking(text);
    PB_INT n = pbStringLength(text);
    for (PB_INT i = 0; i < n;) {
        while (i < n && isSeparator(c[i])) ++i;
        PB_INT start = i;
        while (i < n && !isSeparator(c[i])) ++i;
        if (i == start) continue;
        auto word = pb::adopt(pbStringCreateFromChars(c + start, i - start));
        flags |= flagset->table->valueOf(word.get(), 0);
    }
    return flags;
}

extern "C" PB_EXPORT PB_INT pbFlagsetParseCstr(PB_FLAGSET* flagset, const char* text, PB_INT length) {
    PB_ASSERT(text);
    auto s = pb::adopt(pbStringCreateFromCstr(text, length));
    return pbFlagsetParse(flagset, s.get());
}
