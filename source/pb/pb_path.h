/* Paths and files. A path is a string naming a file or folder in the file
 * system (UTF-8 on disk).
 *
 * pbPathFileWriteBuffer replaces a file atomically: it writes a temporary
 * file in the same folder, syncs it, renames it over the target and syncs
 * the folder, so a crash leaves either the old or the new content, never a
 * torn file; when it fails the previous file is untouched. */
#ifndef PB_PATH_H
#define PB_PATH_H

#include "pb/pb_buffer.h"
#include "pb/pb_byte_sink.h"
#include "pb/pb_store.h"
#include "pb/pb_store_header.h"

PB_BEGIN_DECLS

/* Appends one file name component ("/" between). Precondition: filename is
 * a single component: not empty, not "." or "..", without '/' or NUL. */
PB_EXPORT void pbPathAppendComponentFilename(PB_STRING** path, PB_STRING* filename);

/* The file's bytes, or NULL when it cannot be read. */
PB_EXPORT PB_BUFFER* pbPathFileReadBuffer(PB_STRING* path);
/* The file decoded as an encoded store (pb_store_encoding.h), or NULL; a
 * file longer than PB_STORE_ENCODING_MAX_BYTES is not even read;
 * *header (when header is not NULL) receives its header or NULL. */
PB_EXPORT PB_STORE* pbPathFileReadStore(PB_STRING* path, PB_STORE_HEADER** header);
/* Replaces the file atomically with buffer; PB_FALSE on failure. The file
 * is readable and writable by its owner only (0600), or keeps the narrower
 * mode of the file it replaces: a write never widens a file's mode. */
PB_EXPORT PB_BOOL pbPathFileWriteBuffer(PB_STRING* path, PB_BUFFER* buffer);
/* Removes the file; PB_TRUE when it is gone afterwards. */
PB_EXPORT PB_BOOL pbPathFileDelete(PB_STRING* path);
PB_EXPORT PB_BOOL pbPathFileExists(PB_STRING* path);
/* A sink that writes the file from its start (created owner-only, 0600, or
 * truncated with its mode kept), or NULL when it cannot be opened. */
PB_EXPORT PB_BYTE_SINK* pbPathFileOpenByteSink(PB_STRING* path);

/* Test hook, off unless a test sets it: injected failures of the system
 * calls behind the file functions, one counter pair per step. The step
 * fails (errno EIO) count times after pass calls have reached it and
 * passed (each step is reached once per file written or read); the function then behaves as it does on a real failure
 * (pbPathFileWriteBuffer removes its temporary file and keeps the previous
 * file, pbPathFileReadBuffer gives NULL). A failed sync of the folder
 * leaves the new content in place, so pbPathFileWriteBuffer still gives
 * PB_TRUE. pb___PathFileFailStep( step, 0, 0 ) turns a step off again. */
#define PB___PATH_FILE_STEP_OPEN 0        /* creating the temporary file */
#define PB___PATH_FILE_STEP_WRITE 1       /* writing it */
#define PB___PATH_FILE_STEP_SYNC 2        /* fsync of the temporary file */
#define PB___PATH_FILE_STEP_RENAME 3      /* renaming it over the target */
#define PB___PATH_FILE_STEP_SYNC_FOLDER 4 /* fsync of the folder */
#define PB___PATH_FILE_STEP_READ 5        /* reading a file (once per file) */
#define PB___PATH_FILE_STEP_COUNT 6
PB_EXPORT void pb___PathFileFailStep(PB_INT step, PB_INT pass, PB_INT count);
/* Makes the next count calls of pbPathFileWriteBuffer fail after writing
 * their temporary file, as a full disk would (the rename step). */
PB_EXPORT void pb___PathFileFailNextWrites(PB_INT count);
/* The same after letting the next pass calls succeed. */
PB_EXPORT void pb___PathFileFailWritesAfter(PB_INT pass, PB_INT count);

PB_END_DECLS

#endif
