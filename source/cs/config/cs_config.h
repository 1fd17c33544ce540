/* The configuration of the process: gathering it from the live state and
 * applying a configuration store to it.
 *
 * Layout of a configuration store:
 *     "info"      the runtime's information
 *     "modules"   name -> { "version", and for registered modules
 *                 "config" and "info" }
 *     "objects"   name -> { "sort", "visible", "protected", "trMark",
 *                 "comment" (when present), "metaData", "config" }
 *     "sorts"     registered sort name -> {}
 *
 * The module keeps the latest gathered store in two forms: with private
 * data (what csConfigConfig returns) and without (what the trace receives
 * unless the options include private data). Every gather and apply counts
 * a new version (1 right after start-up) and asserts the update signal.
 *
 * Applying never fails on bad content: invalid names, values that are not
 * stores and missing or malformed sorts are skipped; an entry of an
 * unregistered sort becomes a wrapped placeholder that keeps its
 * configuration; unnamed records are deleted unless protected. The module
 * never loads, migrates or saves by itself (cs_config_store.h,
 * cs_update_table.h). */
#ifndef CS_CONFIG_H
#define CS_CONFIG_H

#include "pb/pb_signalable.h"
#include "pb/pb_store.h"

PB_BEGIN_DECLS

PB_EXPORT void cs___ConfigStartup(void);
PB_EXPORT void cs___ConfigShutdown(void);

/* Gathers the configuration; returns the new version. */
PB_EXPORT PB_INT csConfigGather(void);
/* Applies config (precondition: not NULL); returns the new version. */
PB_EXPORT PB_INT csConfigSetConfig(PB_STORE* config);
/* The latest gathered configuration (with private data), retained; its
 * version is written to *version when version is not NULL. */
PB_EXPORT PB_STORE* csConfigConfig(PB_INT* version);
PB_EXPORT PB_INT csConfigVersion(void);
PB_EXPORT void csConfigUpdateAddSignalable(PB_SIGNALABLE* signalable);
PB_EXPORT void csConfigUpdateDelSignalable(PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
