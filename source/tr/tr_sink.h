/* The trace sink: where trace events go, as JSON lines.
 *
 * The sink is off until the host opens it with a file. While it is open,
 * every event of every stream is appended to the file as one JSON object
 * on one line, so ordinary tools (jq, grep) read a trace:
 *
 *     {"time":1234,"stream":7,"name":"CS_CONDITION","event":"propertySet",
 *      "key":"csConditionValue","type":"bool","value":true}
 *
 * Fields: "time" (the runtime clock, pbTimestamp, in milliseconds),
 * "stream" (trStreamId) and "name" (the stream's name), "event", and per
 * event:
 *     streamCreated, streamEnded   (no more fields)
 *     propertySet      "key", "type" (bool, int, string, store, buffer),
 *                      "value" (a store as its JSON document, a buffer as
 *                      base64 text)
 *     propertyDeleted  "key"
 *     text             "value": the line
 *     configurationSet "value": the store's JSON document, or null
 *     markSet          "value": the mark's id (trMarkId), or null
 *     anchorCompleted  "kind", "annotation" (when there is one), "target"
 *                      and "targetName": the stream linked to
 * A retired mark gives {"time":…,"event":"markScrubbed","mark":id}.
 *
 * Writes are buffered; trSinkFlush pushes them to the file, and a failed
 * precondition flushes the sink before the process stops. All functions
 * may be called from any thread. */
#ifndef TR_SINK_H
#define TR_SINK_H

#include "pb/pb_types.h"

PB_BEGIN_DECLS

/* Opens the sink on the file at path (UTF-8; created, or appended to when
 * it exists), closing a sink that was open. PB_FALSE when the file cannot
 * be opened; the sink is then closed. */
PB_EXPORT PB_BOOL trSinkOpenFileCstr(const char* path, PB_INT length);
/* Flushes and closes the sink; nothing when it is closed. */
PB_EXPORT void trSinkClose(void);
PB_EXPORT void trSinkFlush(void);
PB_EXPORT PB_BOOL trSinkActive(void);

PB_END_DECLS

#endif
