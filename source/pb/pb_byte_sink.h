/* Byte sinks: where encoded bytes go. A sink collects into a buffer
 * (pbByteSinkCreateWithBuffer, read back with pbByteSinkBuffer) or writes
 * to a file (pbPathFileOpenByteSink, pb_path.h). Errors are sticky: after
 * the first failed write or flush, pbByteSinkError stays true and later
 * writes do nothing. A file sink closes its file when released. */
#ifndef PB_BYTE_SINK_H
#define PB_BYTE_SINK_H

#include "pb/pb_buffer.h"

PB_BEGIN_DECLS

typedef struct PB_BYTE_SINK PB_BYTE_SINK;

extern PB_EXPORT PB_SORT pb___sort_PB_BYTE_SINK;
PB_STDFUNCS_DECLARE(pbByteSink, PB_BYTE_SINK);

PB_EXPORT PB_BYTE_SINK* pbByteSinkCreateWithBuffer(void);
/* A sink on an open file descriptor that it owns (closes when released). */
PB_EXPORT PB_BYTE_SINK* pb___ByteSinkCreateWithFd(int fd);

PB_EXPORT void pbByteSinkWrite(PB_BYTE_SINK* sink, const void* bytes, PB_INT length);
PB_EXPORT void pbByteSinkWriteBuffer(PB_BYTE_SINK* sink, PB_BUFFER* buffer);
/* Pushes written bytes to their destination (a file sink syncs the file). */
PB_EXPORT void pbByteSinkFlush(PB_BYTE_SINK* sink);
PB_EXPORT PB_BOOL pbByteSinkError(PB_BYTE_SINK* sink);
/* The bytes a buffer sink has collected; NULL for a file sink. */
PB_EXPORT PB_BUFFER* pbByteSinkBuffer(PB_BYTE_SINK* sink);
/* Makes the sink fail from now on, as a failed write would (for tests of
 * error paths). */
PB_EXPORT void pb___ByteSinkInjectError(PB_BYTE_SINK* sink);

PB_END_DECLS

#endif
