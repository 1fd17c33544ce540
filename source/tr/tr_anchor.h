/* Anchors: places in a stream from which a link to another stream starts.
 *
 * Code that creates an object makes an anchor in its own stream and hands
 * it to the object, which completes it with the object's stream; the
 * first stream then records a link to the second, with the anchor's kind
 * and annotation, and the sink sees an "anchorCompleted" event:
 *
 *     TR_ANCHOR* a = trAnchorCreateWithAnnotationCstr( stream, 10, "name", -1 );
 *     trAnchorComplete( a, objectStream );
 *     trAnchorRelease( a );
 *
 * The kind is a small integer that the trace carries unchanged. An anchor
 * holds its stream; completing it more than once records one link each
 * time. */
#ifndef TR_ANCHOR_H
#define TR_ANCHOR_H

#include "tr/tr_stream.h"

PB_BEGIN_DECLS

typedef struct TR_ANCHOR TR_ANCHOR;

PB_STDFUNCS_DECLARE(trAnchor, TR_ANCHOR);

/* Precondition: stream not NULL. */
PB_EXPORT TR_ANCHOR* trAnchorCreate(TR_STREAM* stream, PB_INT kind);
/* The annotation may be NULL (none). */
PB_EXPORT TR_ANCHOR* trAnchorCreateWithAnnotation(TR_STREAM* stream, PB_INT kind, PB_STRING* annotation);
PB_EXPORT TR_ANCHOR* trAnchorCreateWithAnnotationCstr(TR_STREAM* stream, PB_INT kind, const char* annotation,
                                                      PB_INT length);
/* Links the anchor's stream to other. Precondition: other not NULL. */
PB_EXPORT void trAnchorComplete(TR_ANCHOR* anchor, TR_STREAM* other);

PB_EXPORT TR_STREAM* trAnchorStream(TR_ANCHOR* anchor);
PB_EXPORT PB_INT trAnchorKind(TR_ANCHOR* anchor);
/* The annotation, or NULL. */
PB_EXPORT PB_STRING* trAnchorAnnotation(TR_ANCHOR* anchor);

PB_END_DECLS

#endif
