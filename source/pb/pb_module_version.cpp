// Module versions: parsing, order and text form.
#include "pb/pb_module_version.h"

#include "pb/pb_module.h"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_string.h"

struct PB_MODULE_VERSION {
    PB_OBJ obj;
    PB_INT major;  // set once at creation, likewise the others
    PB_INT minor;
    PB_INT patch;
};

namespace {

PB_INT versionCompare(PB_OBJ* a, PB_OBJ* b) {
    auto* va = reinterpret_cast<PB_MODULE_VERSION*>(a);
    auto* vb = reinterpret_cast<PB_MODULE_VERSION*>(b);
    if (va->major != vb->major) return va->major < vb->major ? -1 : 1;
    if (va->minor != vb->minor) return va->minor < vb->minor ? -1 : 1;
    if (va->patch != vb->patch) return va->patch < vb->patch ? -1 : 1;
    return 0;
}

PB_STRING* versionToString(PB_OBJ* obj) {
    auto* v = reinterpret_cast<PB_MODULE_VERSION*>(obj);
    if (v->patch) return pbStringCreateFromFormatCstr("%i.%i.%i", -1, v->major, v->minor, v->patch);
    return pbStringCreateFromFormatCstr("%i.%i", -1, v->major, v->minor);
}

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_MODULE_VERSION, &pb___module, "PB_MODULE_VERSION", nullptr, versionCompare,
               versionToString);
PB_STDFUNCS_DEFINE(pbModuleVersion, PB_MODULE_VERSION, pb___sort_PB_MODULE_VERSION)

extern "C" PB_EXPORT PB_MODULE_VERSION* pbModuleVersionCreate(PB_INT major, PB_INT minor, PB_INT patch) {
    PB_ASSERT(major >= 0 && minor >= 0 && patch >= 0);
    auto* v = reinterpret_cast<PB_MODULE_VERSION*>(
        pb___ObjCreate(sizeof(PB_MODULE_VERSION), &pb___sort_PB_MODULE_VERSION));
    v->major = major;
    v->minor = minor;
    v->patch = patch;
    return v;
}

extern "C" PB_EXPORT PB_MODULE_VERSION* pbModuleVersionTryCreateFromString(PB_STRING* text) {
    PB_ASSERT(text);
    PB_INT parts[3] = {0, 0, 0};
    PB_INT count = 0;
    PB_INT at = 0;
    PB_INT length = pbStringLength(text);
    while (count < 3) {
        PB_INT value = 0;
        PB_INT used = 0;
        if (at >= length || pbStringCharAt(text, at) < '0' || pbStringCharAt(text, at) > '9') return nullptr;
        if (!pbStringScanInt(text, at, -1, 10, &value, &used)) return nullptr;
        parts[count++] = value;
        at += used;
        if (at == length) break;
        if (pbStringCharAt(text, at) != '.') return nullptr;
        ++at;
    }
    if (count < 2 || at != length) return nullptr;
    return pbModuleVersionCreate(parts[0], parts[1], parts[2]);
}

extern "C" PB_EXPORT PB_MODULE_VERSION* pbModuleVersionTryCreateFromCstr(const char* text, PB_INT length) {
    PB_ASSERT(text);
    PB_STRING* s = pbStringCreateFromCstr(text, length);
    PB_MODULE_VERSION* v = pbModuleVersionTryCreateFromString(s);
    pbObjRelease(pbStringObj(s));
    return v;
}

extern "C" PB_EXPORT PB_INT pbModuleVersionMajor(PB_MODULE_VERSION* version) {
    PB_ASSERT(version);
    return version->major;
}

extern "C" PB_EXPORT PB_INT pbModuleVersionMinor(PB_MODULE_VERSION* version) {
    PB_ASSERT(version);
    return version->minor;
}

extern "C" PB_EXPORT PB_INT pbModuleVersionPatch(PB_MODULE_VERSION* version) {
    PB_ASSERT(version);
    return version->patch;
}
