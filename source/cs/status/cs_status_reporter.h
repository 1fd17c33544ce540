/* Status reporters (CS_STATUS_REPORTER): the writer's side of a status.
 *
 * A reporter owns one status object (cs_status.h) and a trace stream named
 * "CS_STATUS_REPORTER". Every item it sets or deletes goes into the status
 * and, as a property of the same name, into the stream, in one step, so the
 * stream's properties follow the status in the same order.
 *
 *     CS_STATUS_REPORTER* rep = csStatusReporterCreate( anchor );  // anchor may be NULL
 *     csStatusReporterSetUp( rep, PB_TRUE );                       // "csUp"
 *     csStatusReporterSetItemCstrInt( rep, "fooCount", -1, 42 );
 *     csStatusReporterSetItemCstrStringFormatCstr( rep, "fooPeer", -1, "%s:%i", -1, host, port );
 *     csStatusReporterDelItemCstr( rep, "fooPeer", -1 );
 *     CS_STATUS* stat = csStatusReporterStatus( rep );             // for observers
 *
 * The setters come in one family: the name as a string, as UTF-8 with a
 * length or as wide characters with a length (-1: up to the terminating
 * NUL), times a ready item or a value of each item type; the STRING value
 * may also be formatted (pbStringCreateFromFormat...) from a format given
 * in any of the three forms. Names must be lower camel case
 * (pbNameCamelCaseOk( name, PB_TRUE )); object values must not be NULL.
 *
 * Every function may be called from any thread. The reporter never ends
 * its status; the status may outlive the reporter in its observers' hands. */
#ifndef CS_STATUS_REPORTER_H
#define CS_STATUS_REPORTER_H

#include "cs/status/cs_status.h"
#include "tr/tr_anchor.h"

PB_BEGIN_DECLS

typedef struct CS_STATUS_REPORTER CS_STATUS_REPORTER;

extern PB_EXPORT PB_SORT cs___sort_CS_STATUS_REPORTER;
PB_STDFUNCS_DECLARE(csStatusReporter, CS_STATUS_REPORTER);

/* Completes anchor (when not NULL) with the reporter's stream. */
PB_EXPORT CS_STATUS_REPORTER* csStatusReporterCreate(TR_ANCHOR* anchor);
PB_EXPORT void csStatusReporterTraceCompleteAnchor(CS_STATUS_REPORTER* rep, TR_ANCHOR* anchor);
PB_EXPORT CS_STATUS* csStatusReporterStatus(CS_STATUS_REPORTER* rep);

/* Read from a snapshot of the status: the named item or NULL. */
PB_EXPORT CS_STATUS_ITEM* csStatusReporterItem(CS_STATUS_REPORTER* rep, PB_STRING* name);
PB_EXPORT CS_STATUS_ITEM* csStatusReporterItemCstr(CS_STATUS_REPORTER* rep, const char* name, PB_INT length);
PB_EXPORT CS_STATUS_ITEM* csStatusReporterItemWcstr(CS_STATUS_REPORTER* rep, const wchar_t* name, PB_INT length);
PB_EXPORT PB_BOOL csStatusReporterHasItem(CS_STATUS_REPORTER* rep, PB_STRING* name);
PB_EXPORT PB_BOOL csStatusReporterHasItemCstr(CS_STATUS_REPORTER* rep, const char* name, PB_INT length);
PB_EXPORT PB_BOOL csStatusReporterHasItemWcstr(CS_STATUS_REPORTER* rep, const wchar_t* name, PB_INT length);

/* Sets the BOOL item "csUp". */
PB_EXPORT void csStatusReporterSetUp(CS_STATUS_REPORTER* rep, PB_BOOL up);

PB_EXPORT void csStatusReporterSetItem(CS_STATUS_REPORTER* rep, PB_STRING* name, CS_STATUS_ITEM* item);
PB_EXPORT void csStatusReporterSetItemBool(CS_STATUS_REPORTER* rep, PB_STRING* name, PB_BOOL value);
PB_EXPORT void csStatusReporterSetItemInt(CS_STATUS_REPORTER* rep, PB_STRING* name, PB_INT value);
PB_EXPORT void csStatusReporterSetItemString(CS_STATUS_REPORTER* rep, PB_STRING* name, PB_STRING* value);
PB_EXPORT void csStatusReporterSetItemStore(CS_STATUS_REPORTER* rep, PB_STRING* name, PB_STORE* value);
PB_EXPORT void csStatusReporterSetItemBuffer(CS_STATUS_REPORTER* rep, PB_STRING* name, PB_BUFFER* value);

PB_EXPORT void csStatusReporterSetItemCstr(CS_STATUS_REPORTER* rep, const char* name, PB_INT length,
                                           CS_STATUS_ITEM* item);
PB_EXPORT void csStatusReporterSetItemCstrBool(CS_STATUS_REPORTER* rep, const char* name, PB_INT length,
                                               PB_BOOL value);
PB_EXPORT void csStatusReporterSetItemCstrInt(CS_STATUS_REPORTER* rep, const char* name, PB_INT length,
                                              PB_INT value);
PB_EXPORT void csStatusReporterSetItemCstrString(CS_STATUS_REPORTER* rep, const char* name, PB_INT length,
                                                 PB_STRING* value);
PB_EXPORT void csStatusReporterSetItemCstrStore(CS_STATUS_REPORTER* rep, const char* name, PB_INT length,
                                                PB_STORE* value);
PB_EXPORT void csStatusReporterSetItemCstrBuffer(CS_STATUS_REPORTER* rep, const char* name, PB_INT length,
                                                 PB_BUFFER* value);

PB_EXPORT void csStatusReporterSetItemWcstr(CS_STATUS_REPORTER* rep, const wchar_t* name, PB_INT length,
                                            CS_STATUS_ITEM* item);
PB_EXPORT void csStatusReporterSetItemWcstrBool(CS_STATUS_REPORTER* rep, const wchar_t* name, PB_INT length,
                                                PB_BOOL value);
PB_EXPORT void csStatusReporterSetItemWcstrInt(CS_STATUS_REPORTER* rep, const wchar_t* name, PB_INT length,
                                               PB_INT value);
PB_EXPORT void csStatusReporterSetItemWcstrString(CS_STATUS_REPORTER* rep, const wchar_t* name, PB_INT length,
                                                  PB_STRING* value);
PB_EXPORT void csStatusReporterSetItemWcstrStore(CS_STATUS_REPORTER* rep, const wchar_t* name, PB_INT length,
                                                 PB_STORE* value);
PB_EXPORT void csStatusReporterSetItemWcstrBuffer(CS_STATUS_REPORTER* rep, const wchar_t* name, PB_INT length,
                                                  PB_BUFFER* value);

/* STRING items formatted from a format and its arguments. */
PB_EXPORT void csStatusReporterSetItemStringFormat(CS_STATUS_REPORTER* rep, PB_STRING* name, PB_STRING* format,
                                                   ...);
PB_EXPORT void csStatusReporterSetItemStringFormatCstr(CS_STATUS_REPORTER* rep, PB_STRING* name, const char* format,
                                                       PB_INT formatLength, ...);
PB_EXPORT void csStatusReporterSetItemStringFormatWcstr(CS_STATUS_REPORTER* rep, PB_STRING* name,
                                                        const wchar_t* format, PB_INT formatLength, ...);
PB_EXPORT void csStatusReporterSetItemCstrStringFormat(CS_STATUS_REPORTER* rep, const char* name, PB_INT length,
                                                       PB_STRING* format, ...);
PB_EXPORT void csStatusReporterSetItemCstrStringFormatCstr(CS_STATUS_REPORTER* rep, const char* name, PB_INT length,
                                                           const char* format, PB_INT formatLength, ...);
PB_EXPORT void csStatusReporterSetItemCstrStringFormatWcstr(CS_STATUS_REPORTER* rep, const char* name, PB_INT length,
                                                            const wchar_t* format, PB_INT formatLength, ...);
PB_EXPORT void csStatusReporterSetItemWcstrStringFormat(CS_STATUS_REPORTER* rep, const wchar_t* name, PB_INT length,
                                                        PB_STRING* format, ...);
PB_EXPORT void csStatusReporterSetItemWcstrStringFormatCstr(CS_STATUS_REPORTER* rep, const wchar_t* name,
                                                            PB_INT length, const char* format, PB_INT formatLength,
                                                            ...);
PB_EXPORT void csStatusReporterSetItemWcstrStringFormatWcstr(CS_STATUS_REPORTER* rep, const wchar_t* name,
                                                             PB_INT length, const wchar_t* format,
                                                             PB_INT formatLength, ...);

/* Deletes the named item and the stream property; an absent name still
 * counts as a change. */
PB_EXPORT void csStatusReporterDelItem(CS_STATUS_REPORTER* rep, PB_STRING* name);
PB_EXPORT void csStatusReporterDelItemCstr(CS_STATUS_REPORTER* rep, const char* name, PB_INT length);
PB_EXPORT void csStatusReporterDelItemWcstr(CS_STATUS_REPORTER* rep, const wchar_t* name, PB_INT length);

PB_EXPORT void cs___StatusReporterStartup(void);
PB_EXPORT void cs___StatusReporterShutdown(void);

PB_END_DECLS

#endif
