/* Text readers: the text lines of one stream, collected for tests and
 * tools.
 *
 * A reader listens to a stream from its creation until it is released and
 * keeps every line written to the stream in that time, in order:
 *
 *     TR_TEXT_READER* r = trTextReaderCreate( stream );
 *     ... code that writes to stream ...
 *     for ( PB_INT i = 0; i < trTextReaderLinesCount( r ); ++i ) {
 *         PB_STRING* line = trTextReaderLineAt( r, i );
 *         ...
 *         pbStringRelease( line );
 *     }
 *     trTextReaderRelease( r );
 *
 * The reader keeps the stream alive; the stream does not keep the reader.
 * Lines written to a stream while no reader listens are not kept. */
#ifndef TR_TEXT_READER_H
#define TR_TEXT_READER_H

#include "tr/tr_stream.h"

PB_BEGIN_DECLS

typedef struct TR_TEXT_READER TR_TEXT_READER;

PB_STDFUNCS_DECLARE(trTextReader, TR_TEXT_READER);

PB_EXPORT TR_TEXT_READER* trTextReaderCreate(TR_STREAM* stream);
PB_EXPORT TR_STREAM* trTextReaderStream(TR_TEXT_READER* reader);
PB_EXPORT PB_INT trTextReaderLinesCount(TR_TEXT_READER* reader);
/* The line at index. Precondition: 0 <= index < count. */
PB_EXPORT PB_STRING* trTextReaderLineAt(TR_TEXT_READER* reader, PB_INT index);
/* Forgets the lines collected so far; the reader keeps listening. */
PB_EXPORT void trTextReaderClear(TR_TEXT_READER* reader);

PB_END_DECLS

#endif
