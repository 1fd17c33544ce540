// Status reporters: write a status and mirror each item into a trace stream.
#include "cs/status/cs_status_reporter.h"

#include "cs/status/cs_status.hpp"

#include <type_traits>

#include "cs/base/cs_module.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_STATUS_REPORTER {
    PB_OBJ obj;
    TR_STREAM* stream;  // set once at creation; its properties are changed only beside a change of status
    CS_STATUS* status;  // set once at creation; never NULL; guarded by its own region
};

namespace {

// Module-wide state: NULL before start-up, all-ones after shutdown. The
// name under which csStatusReporterSetUp writes; only read in between.
PB_STRING* upName = nullptr;

void reporterFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_STATUS_REPORTER);
    auto* rep = reinterpret_cast<CS_STATUS_REPORTER*>(obj);
    pb::releaseField(rep->status);
    pb::releaseField(rep->stream);
}

// A name given as characters, held for the length of one call.
pb::Ref<PB_STRING> nameOf(const char* name, PB_INT length) { return pb::adopt(pbStringCreateFromCstr(name, length)); }

pb::Ref<PB_STRING> nameOf(const wchar_t* name, PB_INT length) {
    return pb::adopt(pbStringCreateFromWcstr(name, length));
}

// Makes an item of value with the Create function of its type and sets it
// under name; every typed setter of the family comes down to this.
template <class Value>
void setNew(CS_STATUS_REPORTER* rep, PB_STRING* name, CS_STATUS_ITEM* (*create)(Value),
            std::type_identity_t<Value> value) {
    auto item = pb::adopt(create(value));
    csStatusReporterSetItem(rep, name, item.get());
}

// The same for booleans and integers, which go to the stream as scalars.
// The status and the stream each keep one value per name and change it in
// place when nobody else holds it, which matters for items that change at
// every event, like a counter's; otherwise a new item is made. The property
// changes under the status's lock, beside the item.
template <class Value>
void setScalar(CS_STATUS_REPORTER* rep, PB_STRING* name, PB_INT type, CS_STATUS_ITEM* (*create)(Value),
               void (*setProperty)(TR_STREAM*, PB_STRING*, Value), std::type_identity_t<Value> value) {
    PB_ASSERT(rep);
    auto property = [&] { setProperty(rep->stream, name, value); };
    if (cs::statusTrySetScalar(rep->status, name, type, PB_INT(value), cs::statusAlso(property))) return;
    auto item = pb::adopt(create(value));
    cs::statusSetItem(rep->status, name, item.get(), cs::statusAlso(property));
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_STATUS_REPORTER, &cs___module, "CS_STATUS_REPORTER", reporterFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csStatusReporter, CS_STATUS_REPORTER, cs___sort_CS_STATUS_REPORTER)

extern "C" PB_EXPORT void cs___StatusReporterStartup(void) {
    upName = pbStringCreateFromCstr("csUp", -1);
}

extern "C" PB_EXPORT void cs___StatusReporterShutdown(void) { pb::releaseField(upName); }

extern "C" PB_EXPORT CS_STATUS_REPORTER* csStatusReporterCreate(TR_ANCHOR* anchor) {
    auto* rep = reinterpret_cast<CS_STATUS_REPORTER*>(
        pb___ObjCreate(sizeof(CS_STATUS_REPORTER), &cs___sort_CS_STATUS_REPORTER));
    rep->stream = trStreamCreateCstr("CS_STATUS_REPORTER", -1);
    if (anchor) trAnchorComplete(anchor, rep->stream);
    rep->status = cs___StatusCreate();
    return rep;
}

extern "C" PB_EXPORT void csStatusReporterTraceCompleteAnchor(CS_STATUS_REPORTER* rep, TR_ANCHOR* anchor) {
    PB_ASSERT(rep);
    PB_ASSERT(anchor);
    trAnchorComplete(anchor, rep->stream);
}

extern "C" PB_EXPORT CS_STATUS* csStatusReporterStatus(CS_STATUS_REPORTER* rep) {
    PB_ASSERT(rep);
    return csStatusRetain(rep->status);
}

extern "C" PB_EXPORT CS_STATUS_ITEM* csStatusReporterItem(CS_STATUS_REPORTER* rep, PB_STRING* name) {
    PB_ASSERT(rep);
    auto snapshot = pb::adopt(csStatusItems(rep->status));
    return csStatusItemsItem(snapshot.get(), name);
}

extern "C" PB_EXPORT CS_STATUS_ITEM* csStatusReporterItemCstr(CS_STATUS_REPORTER* rep, const char* name,
                                                              PB_INT length) {
    return csStatusReporterItem(rep, nameOf(name, length).get());
}

extern "C" PB_EXPORT CS_STATUS_ITEM* csStatusReporterItemWcstr(CS_STATUS_REPORTER* rep, const wchar_t* name,
                                                               PB_INT length) {
    return csStatusReporterItem(rep, nameOf(name, length).get());
}

extern "C" PB_EXPORT PB_BOOL csStatusReporterHasItem(CS_STATUS_REPORTER* rep, PB_STRING* name) {
    PB_ASSERT(rep);
    auto snapshot = pb::adopt(csStatusItems(rep->status));
    return csStatusItemsHasItem(snapshot.get(), name);
}

extern "C" PB_EXPORT PB_BOOL csStatusReporterHasItemCstr(CS_STATUS_REPORTER* rep, const char* name, PB_INT length) {
    return csStatusReporterHasItem(rep, nameOf(name, length).get());
}

extern "C" PB_EXPORT PB_BOOL csStatusReporterHasItemWcstr(CS_STATUS_REPORTER* rep, const wchar_t* name,
                                                          PB_INT length) {
    return csStatusReporterHasItem(rep, nameOf(name, length).get());
}

extern "C" PB_EXPORT void csStatusReporterSetUp(CS_STATUS_REPORTER* rep, PB_BOOL up) {
    csStatusReporterSetItemBool(rep, upName, up);
}

// The property value is made before the status's lock is taken; under it
// the status and the stream change together, so concurrent setters leave
// the stream with the same last value as the status.
extern "C" PB_EXPORT void csStatusReporterSetItem(CS_STATUS_REPORTER* rep, PB_STRING* name, CS_STATUS_ITEM* item) {
    PB_ASSERT(rep);
    PB_ASSERT(item);
    auto value = pb::adopt(csStatusItemToTrPropertyValue(item));
    auto property = [&] { trStreamSetProperty(rep->stream, name, value.get()); };
    cs::statusSetItem(rep->status, name, item, cs::statusAlso(property));
}

extern "C" PB_EXPORT void csStatusReporterSetItemBool(CS_STATUS_REPORTER* rep, PB_STRING* name, PB_BOOL value) {
    setScalar(rep, name, CS_STATUS_ITEM_TYPE_BOOL, csStatusItemCreateBool, trStreamSetPropertyBool, value);
}

extern "C" PB_EXPORT void csStatusReporterSetItemInt(CS_STATUS_REPORTER* rep, PB_STRING* name, PB_INT value) {
    setScalar(rep, name, CS_STATUS_ITEM_TYPE_INT, csStatusItemCreateInt, trStreamSetPropertyInt, value);
}

extern "C" PB_EXPORT void csStatusReporterSetItemString(CS_STATUS_REPORTER* rep, PB_STRING* name, PB_STRING* value) {
    setNew(rep, name, csStatusItemCreateString, value);
}

extern "C" PB_EXPORT void csStatusReporterSetItemStore(CS_STATUS_REPORTER* rep, PB_STRING* name, PB_STORE* value) {
    setNew(rep, name, csStatusItemCreateStore, value);
}

extern "C" PB_EXPORT void csStatusReporterSetItemBuffer(CS_STATUS_REPORTER* rep, PB_STRING* name, PB_BUFFER* value) {
    setNew(rep, name, csStatusItemCreateBuffer, value);
}

extern "C" PB_EXPORT void csStatusReporterSetItemCstr(CS_STATUS_REPORTER* rep, const char* name, PB_INT length,
                                                      CS_STATUS_ITEM* item) {
    csStatusReporterSetItem(rep, nameOf(name, length).get(), item);
}

extern "C" PB_EXPORT void csStatusReporterSetItemCstrBool(CS_STATUS_REPORTER* rep, const char* name, PB_INT length,
                                                          PB_BOOL value) {
    csStatusReporterSetItemBool(rep, nameOf(name, length).get(), value);
}

extern "C" PB_EXPORT void csStatusReporterSetItemCstrInt(CS_STATUS_REPORTER* rep, const char* name, PB_INT length,
                                                         PB_INT value) {
    csStatusReporterSetItemInt(rep, nameOf(name, length).get(), value);
}

extern "C" PB_EXPORT void csStatusReporterSetItemCstrString(CS_STATUS_REPORTER* rep, const char* name, PB_INT length,
                                                            PB_STRING* value) {
    setNew(rep, nameOf(name, length).get(), csStatusItemCreateString, value);
}

extern "C" PB_EXPORT void csStatusReporterSetItemCstrStore(CS_STATUS_REPORTER* rep, const char* name, PB_INT length,
                                                           PB_STORE* value) {
    setNew(rep, nameOf(name, length).get(), csStatusItemCreateStore, value);
}

extern "C" PB_EXPORT void csStatusReporterSetItemCstrBuffer(CS_STATUS_REPORTER* rep, const char* name, PB_INT length,
                                                            PB_BUFFER* value) {
    setNew(rep, nameOf(name, length).get(), csStatusItemCreateBuffer, value);
}

extern "C" PB_EXPORT void csStatusReporterSetItemWcstr(CS_STATUS_REPORTER* rep, const wchar_t* name, PB_INT length,
                                                       CS_STATUS_ITEM* item) {
    csStatusReporterSetItem(rep, nameOf(name, length).get(), item);
}

extern "C" PB_EXPORT void csStatusReporterSetItemWcstrBool(CS_STATUS_REPORTER* rep, const wchar_t* name,
                                                           PB_INT length, PB_BOOL value) {
    csStatusReporterSetItemBool(rep, nameOf(name, length).get(), value);
}

extern "C" PB_EXPORT void csStatusReporterSetItemWcstrInt(CS_STATUS_REPORTER* rep, const wchar_t* name,
                                                          PB_INT length, PB_INT value) {
    csStatusReporterSetItemInt(rep, nameOf(name, length).get(), value);
}

extern "C" PB_EXPORT void csStatusReporterSetItemWcstrString(CS_STATUS_REPORTER* rep, const wchar_t* name,
                                                             PB_INT length, PB_STRING* value) {
    setNew(rep, nameOf(name, length).get(), csStatusItemCreateString, value);
}

extern "C" PB_EXPORT void csStatusReporterSetItemWcstrStore(CS_STATUS_REPORTER* rep, const wchar_t* name,
                                                            PB_INT length, PB_STORE* value) {
    setNew(rep, nameOf(name, length).get(), csStatusItemCreateStore, value);
}

extern "C" PB_EXPORT void csStatusReporterSetItemWcstrBuffer(CS_STATUS_REPORTER* rep, const wchar_t* name,
                                                             PB_INT length, PB_BUFFER* value) {
    setNew(rep, nameOf(name, length).get(), csStatusItemCreateBuffer, value);
}

// The formatted setters format the value from the caller's arguments and
// hand it to the STRING setter of the same name form.

extern "C" PB_EXPORT void csStatusReporterSetItemStringFormat(CS_STATUS_REPORTER* rep, PB_STRING* name,
                                                              PB_STRING* format, ...) {
    va_list args;
    va_start(args, format);
    auto value = pb::adopt(pbStringCreateFromFormatArgList(format, args));
    va_end(args);
    csStatusReporterSetItemString(rep, name, value.get());
}

extern "C" PB_EXPORT void csStatusReporterSetItemStringFormatCstr(CS_STATUS_REPORTER* rep, PB_STRING* name,
                                                                  const char* format, PB_INT formatLength, ...) {
    va_list args;
    va_start(args, formatLength);
    auto value = pb::adopt(pbStringCreateFromFormatCstrArgList(format, formatLength, args));
    va_end(args);
    csStatusReporterSetItemString(rep, name, value.get());
}

extern "C" PB_EXPORT void csStatusReporterSetItemStringFormatWcstr(CS_STATUS_REPORTER* rep, PB_STRING* name,
                                                                   const wchar_t* format, PB_INT formatLength, ...) {
    va_list args;
    va_start(args, formatLength);
    auto value = pb::adopt(pbStringCreateFromFormatWcstrArgList(format, formatLength, args));
    va_end(args);
    csStatusReporterSetItemString(rep, name, value.get());
}

extern "C" PB_EXPORT void csStatusReporterSetItemCstrStringFormat(CS_STATUS_REPORTER* rep, const char* name,
                                                                  PB_INT length, PB_STRING* format, ...) {
    va_list args;
    va_start(args, format);
    auto value = pb::adopt(pbStringCreateFromFormatArgList(format, args));
    va_end(args);
    csStatusReporterSetItemCstrString(rep, name, length, value.get());
}

extern "C" PB_EXPORT void csStatusReporterSetItemCstrStringFormatCstr(CS_STATUS_REPORTER* rep, const char* name,
                                                                      PB_INT length, const char* format,
                                                                      PB_INT formatLength, ...) {
    va_list args;
    va_start(args, formatLength);
    auto value = pb::adopt(pbStringCreateFromFormatCstrArgList(format, formatLength, args));
    va_end(args);
    csStatusReporterSetItemCstrString(rep, name, length, value.get());
}

extern "C" PB_EXPORT void csStatusReporterSetItemCstrStringFormatWcstr(CS_STATUS_REPORTER* rep, const char* name,
                                                                       PB_INT length, const wchar_t* format,
                                                                       PB_INT formatLength, ...) {
    va_list args;
    va_start(args, formatLength);
    auto value = pb::adopt(pbStringCreateFromFormatWcstrArgList(format, formatLength, args));
    va_end(args);
    csStatusReporterSetItemCstrString(rep, name, length, value.get());
}

extern "C" PB_EXPORT void csStatusReporterSetItemWcstrStringFormat(CS_STATUS_REPORTER* rep, const wchar_t* name,
                                                                   PB_INT length, PB_STRING* format, ...) {
    va_list args;
    va_start(args, format);
    auto value = pb::adopt(pbStringCreateFromFormatArgList(format, args));
    va_end(args);
    csStatusReporterSetItemWcstrString(rep, name, length, value.get());
}

extern "C" PB_EXPORT void csStatusReporterSetItemWcstrStringFormatCstr(CS_STATUS_REPORTER* rep, const wchar_t* name,
                                                                       PB_INT length, const char* format,
                                                                       PB_INT formatLength, ...) {
    va_list args;
    va_start(args, formatLength);
    auto value = pb::adopt(pbStringCreateFromFormatCstrArgList(format, formatLength, args));
    va_end(args);
    csStatusReporterSetItemWcstrString(rep, name, length, value.get());
}

extern "C" PB_EXPORT void csStatusReporterSetItemWcstrStringFormatWcstr(CS_STATUS_REPORTER* rep, const wchar_t* name,
                                                                        PB_INT length, const wchar_t* format,
                                                                        PB_INT formatLength, ...) {
    va_list args;
    va_start(args, formatLength);
    auto value = pb::adopt(pbStringCreateFromFormatWcstrArgList(format, formatLength, args));
    va_end(args);
    csStatusReporterSetItemWcstrString(rep, name, length, value.get());
}

extern "C" PB_EXPORT void csStatusReporterDelItem(CS_STATUS_REPORTER* rep, PB_STRING* name) {
    PB_ASSERT(rep);
    auto property = [&] { trStreamDelProperty(rep->stream, name); };
    cs::statusDelItem(rep->status, name, cs::statusAlso(property));
}

extern "C" PB_EXPORT void csStatusReporterDelItemCstr(CS_STATUS_REPORTER* rep, const char* name, PB_INT length) {
    csStatusReporterDelItem(rep, nameOf(name, length).get());
}

extern "C" PB_EXPORT void csStatusReporterDelItemWcstr(CS_STATUS_REPORTER* rep, const wchar_t* name, PB_INT length) {
    csStatusReporterDelItem(rep, nameOf(name, length).get());
}
