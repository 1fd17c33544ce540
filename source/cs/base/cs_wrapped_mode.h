/* Wrapped modes: why a wrapped object (cs_wrapped.h) holds an object's
 * configuration instead of the object.
 *
 *   CS_WRAPPED_MODE_FALLBACK       0   the object's sort did not make the
 *                                      object; creating it with fallback
 *                                      unwraps it as soon as the sort can
 *   CS_WRAPPED_MODE_DISABLED       1   the object is disabled; never unwrapped
 *   CS_WRAPPED_MODE_DISABLED_HERE  2   disabled here; treated like 1
 *
 * The literal names are the text form of a mode, for example in the store
 * form of wrapped options:
 *
 *     PB_STRING* name = csWrappedModeToString( CS_WRAPPED_MODE_DISABLED );
 *     PB_INT mode = csWrappedModeFromString( name );     // 1
 *     if ( !CS_WRAPPED_MODE_OK( mode ) ) ...             // unknown name
 *
 * The name table exists between cs___WrappedModeStartup and
 * cs___WrappedModeShutdown, which the module's lifecycle calls. */
#ifndef CS_WRAPPED_MODE_H
#define CS_WRAPPED_MODE_H

#include "pb/pb_string.h"

PB_BEGIN_DECLS

#define CS_WRAPPED_MODE_FALLBACK 0
#define CS_WRAPPED_MODE_DISABLED 1
#define CS_WRAPPED_MODE_DISABLED_HERE 2

#define CS_WRAPPED_MODE_OK(mode) ((mode) >= CS_WRAPPED_MODE_FALLBACK && (mode) <= CS_WRAPPED_MODE_DISABLED_HERE)

/* The literal name of mode. Precondition: CS_WRAPPED_MODE_OK( mode ). */
PB_EXPORT PB_STRING* csWrappedModeToString(PB_INT mode);
/* The mode named by string; a name that is none of the three gives a value
 * outside CS_WRAPPED_MODE_OK. Precondition: string not NULL. */
PB_EXPORT PB_INT csWrappedModeFromString(PB_STRING* string);

PB_EXPORT void cs___WrappedModeStartup(void);
PB_EXPORT void cs___WrappedModeShutdown(void);

PB_END_DECLS

#endif
