// Trace anchors: the start of a link from one stream to another.
#include "tr/tr_anchor.h"

#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"
#include "tr/tr_module.h"
#include "tr/tr_stream.hpp"

struct TR_ANCHOR {
    PB_OBJ obj;
    TR_STREAM* stream;      // set once at creation (owned)
    PB_INT kind;            // set once
    PB_STRING* annotation;  // set once (owned); may be NULL
};

namespace {
void anchorFree(PB_OBJ* obj);
}  // namespace

PB_SORT_DEFINE(tr___sort_TR_ANCHOR, &tr___module, "TR_ANCHOR", anchorFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(trAnchor, TR_ANCHOR, tr___sort_TR_ANCHOR)

namespace {

void anchorFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, tr___sort_TR_ANCHOR);
    auto* a = reinterpret_cast<TR_ANCHOR*>(obj);
    pb::releaseField(a->stream);
    pb::releaseField(a->annotation);
}

}  // namespace

extern "C" PB_EXPORT TR_ANCHOR* trAnchorCreate(TR_STREAM* stream, PB_INT kind) {
    return trAnchorCreateWithAnnotation(stream, kind, nullptr);
}

extern "C" PB_EXPORT TR_ANCHOR* trAnchorCreateWithAnnotation(TR_STREAM* stream, PB_INT kind,
                                                            PB_STRING* annotation) {
    PB_ASSERT(stream);
    auto* a = reinterpret_cast<TR_ANCHOR*>(pb___ObjCreate(sizeof(TR_ANCHOR), &tr___sort_TR_ANCHOR));
    a->stream = trStreamRetain(stream);
    a->kind = kind;
    a->annotation = annotation ? pbStringRetain(annotation) : nullptr;
    return a;
}

extern "C" PB_EXPORT TR_ANCHOR* trAnchorCreateWithAnnotationCstr(TR_STREAM* stream, PB_INT kind,
                                                                const char* annotation, PB_INT length) {
    if (!annotation) return trAnchorCreateWithAnnotation(stream, kind, nullptr);
    auto text = pb::adopt(pbStringCreateFromCstr(annotation, length));
    return trAnchorCreateWithAnnotation(stream, kind, text.get());
}

extern "C" PB_EXPORT void trAnchorComplete(TR_ANCHOR* anchor, TR_STREAM* other) {
    PB_ASSERT(anchor);
    PB_ASSERT(other);
    tr::streamLink(anchor->stream, other, anchor->kind, anchor->annotation);
}

extern "C" PB_EXPORT TR_STREAM* trAnchorStream(TR_ANCHOR* anchor) {
    PB_ASSERT(anchor);
    return trStreamRetain(anchor->stream);
}

extern "C" PB_EXPORT PB_INT trAnchorKind(TR_ANCHOR* anchor) {
    PB_ASSERT(anchor);
    return anchor->kind;
}

extern "C" PB_EXPORT PB_STRING* trAnchorAnnotation(TR_ANCHOR* anchor) {
    PB_ASSERT(anchor);
    return anchor->annotation ? pbStringRetain(anchor->annotation) : nullptr;
}
