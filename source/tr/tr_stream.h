/* Trace streams: named records of what one object of the process is and
 * does.
 *
 * A stream keeps its name, its current properties (typed values under
 * string keys), the configuration store of its owner, an explicit mark and
 * links to other streams (made by completing anchors, tr_anchor.h). Text
 * lines and every change go to the trace sink (tr_sink.h) when one is open;
 * when none is, a stream keeps only its current state, and text lines are
 * kept only by the text readers listening to the stream (tr_text_reader.h).
 *
 *     TR_STREAM* s = trStreamCreateCstr( "CS_CONDITION", -1 );
 *     trStreamSetPropertyCstrBool( s, "csConditionValue", -1, PB_TRUE );
 *     trStreamTextFormatCstr( s, "evaluated %i rules", -1, count );
 *     trStreamSetConfiguration( s, config );
 *     trStreamRelease( s );
 *
 * Every function may be called from any thread. Setting a property to a
 * NULL value deletes it; a NULL configuration or mark clears it. Lengths
 * of -1 mean "up to the terminating NUL". A stream keeps at most
 * TR_STREAM_LINKS_MAX links, dropping the oldest first; a link that would
 * close a cycle of streams holding each other does not keep its target
 * alive (trStreamLinkAt then gives NULL once the target is gone). */
#ifndef TR_STREAM_H
#define TR_STREAM_H

#include "pb/pb_buffer.h"
#include "pb/pb_store.h"
#include "pb/pb_string.h"
#include "tr/tr_mark.h"
#include "tr/tr_property_value.h"

PB_BEGIN_DECLS

typedef struct TR_STREAM TR_STREAM;

#define TR_STREAM_LINKS_MAX 64

PB_STDFUNCS_DECLARE(trStream, TR_STREAM);

/* Precondition: name not NULL. */
PB_EXPORT TR_STREAM* trStreamCreate(PB_STRING* name);
PB_EXPORT TR_STREAM* trStreamCreateCstr(const char* name, PB_INT length);

/* Changes. Preconditions: stream and key not NULL. */
PB_EXPORT void trStreamSetProperty(TR_STREAM* stream, PB_STRING* key, TR_PROPERTY_VALUE* value);
PB_EXPORT void trStreamSetPropertyCstr(TR_STREAM* stream, const char* key, PB_INT keyLength,
                                       TR_PROPERTY_VALUE* value);
/* The same as setting a value made with trPropertyValueCreateBool or
 * trPropertyValueCreateInt; cheaper for properties that change often. */
PB_EXPORT void trStreamSetPropertyBool(TR_STREAM* stream, PB_STRING* key, PB_BOOL value);
PB_EXPORT void trStreamSetPropertyInt(TR_STREAM* stream, PB_STRING* key, PB_INT value);
PB_EXPORT void trStreamSetPropertyCstrString(TR_STREAM* stream, const char* key, PB_INT keyLength,
                                             PB_STRING* value);
PB_EXPORT void trStreamSetPropertyCstrBool(TR_STREAM* stream, const char* key, PB_INT keyLength,
                                           PB_BOOL value);
PB_EXPORT void trStreamSetPropertyCstrInt(TR_STREAM* stream, const char* key, PB_INT keyLength,
                                          PB_INT value);
PB_EXPORT void trStreamSetPropertyCstrStore(TR_STREAM* stream, const char* key, PB_INT keyLength,
                                            PB_STORE* value);
PB_EXPORT void trStreamSetPropertyCstrBuffer(TR_STREAM* stream, const char* key, PB_INT keyLength,
                                             PB_BUFFER* value);
PB_EXPORT void trStreamDelProperty(TR_STREAM* stream, PB_STRING* key);
PB_EXPORT void trStreamDelPropertyCstr(TR_STREAM* stream, const char* key, PB_INT keyLength);

/* One text line each. Preconditions: stream and text not NULL. */
PB_EXPORT void trStreamText(TR_STREAM* stream, PB_STRING* text);
PB_EXPORT void trStreamTextCstr(TR_STREAM* stream, const char* text, PB_INT length);
/* Formats like pbStringCreateFromFormatCstr; nothing is formatted while
 * neither a sink nor a text reader would see the line. */
PB_EXPORT void trStreamTextFormatCstr(TR_STREAM* stream, const char* format, PB_INT length, ...);

PB_EXPORT void trStreamSetConfiguration(TR_STREAM* stream, PB_STORE* configuration);
PB_EXPORT void trStreamSetExplicitMark(TR_STREAM* stream, TR_MARK* mark);

/* Reads, for tests and tools. Getters of objects return new references. */
PB_EXPORT PB_INT trStreamId(TR_STREAM* stream);
PB_EXPORT PB_STRING* trStreamName(TR_STREAM* stream);
/* The value under key, or NULL. */
PB_EXPORT TR_PROPERTY_VALUE* trStreamProperty(TR_STREAM* stream, PB_STRING* key);
PB_EXPORT TR_PROPERTY_VALUE* trStreamPropertyCstr(TR_STREAM* stream, const char* key, PB_INT keyLength);
/* The properties in key order (code point order); index out of range is a
 * precondition failure. */
PB_EXPORT PB_INT trStreamPropertiesCount(TR_STREAM* stream);
PB_EXPORT PB_STRING* trStreamPropertyKeyAt(TR_STREAM* stream, PB_INT index);
PB_EXPORT TR_PROPERTY_VALUE* trStreamPropertyValueAt(TR_STREAM* stream, PB_INT index);
/* The configuration store, or NULL. */
PB_EXPORT PB_STORE* trStreamConfiguration(TR_STREAM* stream);
/* The explicit mark, or NULL. */
PB_EXPORT TR_MARK* trStreamExplicitMark(TR_STREAM* stream);
/* The links, oldest first. trStreamLinkAt gives the linked stream or NULL
 * when it is gone; the annotation reader gives NULL for none. */
PB_EXPORT PB_INT trStreamLinksCount(TR_STREAM* stream);
PB_EXPORT TR_STREAM* trStreamLinkAt(TR_STREAM* stream, PB_INT index);
PB_EXPORT PB_INT trStreamLinkKindAt(TR_STREAM* stream, PB_INT index);
PB_EXPORT PB_STRING* trStreamLinkAnnotationAt(TR_STREAM* stream, PB_INT index);

PB_END_DECLS

#endif
