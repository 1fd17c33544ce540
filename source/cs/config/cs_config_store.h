/* The configuration files: the configuration store on disk.
 *
 * The store is written, encoded with a header of type "CS_CONFIG", to a
 * main file cs.vqconfig and a backup file cs-backup.vqconfig in the
 * runtime's configuration directory (runtime path 4); both hold the same
 * bytes. Loading reads the main file and falls back to the backup. The
 * module never loads or saves on its own: a caller loads, migrates
 * (csUpdateTableUpdate) and applies (csConfigSetConfig), or gathers
 * (csConfigConfig) and saves. Without a configuration directory there are
 * no files: load gives NULL and save gives PB_FALSE. */
#ifndef CS_CONFIG_STORE_H
#define CS_CONFIG_STORE_H

#include "pb/pb_byte_sink.h"
#include "pb/pb_store.h"
#include "pb/pb_store_header.h"

PB_BEGIN_DECLS

/* The configuration from the main file, else from the backup, else NULL. */
PB_EXPORT PB_STORE* cs___ConfigStoreLoad(void);
/* Whether a decoded store with this header (NULL: none) is a configuration:
 * a headerless store is, one with a header only when its type is "CS_CONFIG". */
PB_EXPORT PB_BOOL cs___ConfigStoreHeaderOk(PB_STORE_HEADER* header);
/* A store read from path when cs___ConfigStoreHeaderOk holds for it; else NULL. */
PB_EXPORT PB_STORE* cs___ConfigStoreLoadFromFile(PB_STRING* path);
/* Writes both files; PB_TRUE when both were written. A failed write
 * deletes the file that was being written. */
PB_EXPORT PB_BOOL cs___ConfigStoreSave(PB_STORE* config);
PB_EXPORT PB_BOOL cs___ConfigStoreSaveToFile(PB_STORE* config, PB_STRING* path);
PB_EXPORT PB_BOOL cs___ConfigStoreSaveToByteSink(PB_STORE* config, PB_BYTE_SINK* bs);

PB_END_DECLS

#endif
