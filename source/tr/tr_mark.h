/* Marks: tokens that tie trace streams together across their lifetimes.
 *
 * A mark is set on a stream as its explicit mark (trStreamSetExplicitMark);
 * whoever replaces the stream's owner can carry the same mark over to the
 * new owner's stream, so a trace reader sees one history. When no stream
 * uses a mark any more, its creator retires it with tr___SystemMarkScrub;
 * trMarkScrubbed tells whether that happened. Every mark has a process-wide
 * unique id (trMarkId) by which the trace sink names it. Marks compare by
 * identity. */
#ifndef TR_MARK_H
#define TR_MARK_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct TR_MARK TR_MARK;

PB_STDFUNCS_DECLARE(trMark, TR_MARK);

PB_EXPORT TR_MARK* trMarkCreate(void);
/* The mark's id: positive, unique in the process, set at creation. */
PB_EXPORT PB_INT trMarkId(TR_MARK* mark);
PB_EXPORT PB_BOOL trMarkScrubbed(TR_MARK* mark);

/* Retires the mark (once; later calls do nothing) and tells the sink. */
PB_EXPORT void tr___SystemMarkScrub(TR_MARK* mark);

PB_END_DECLS

#endif
