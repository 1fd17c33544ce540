/* The terminate database: the live terminate controls of the process by
 * identifier, so that anyone who knows a control's identifier (from its
 * trace property "csControlTerminateIdentifier") can say that its owner's
 * termination is desired:
 *
 *     PB_IDENTIFIER* id = pbIdentifierTryCreateFromCstr( text, -1 );
 *     if ( !cs___ControlTerminateDbTerminateSetDesired( id ) ) ...  // no such control (any more)
 *
 * Controls register themselves at creation and unregister when they end.
 * Every function may be called from any thread; a region serialises
 * registration and removal against look-ups. The database exists between
 * cs___ControlTerminateDbStartup and cs___ControlTerminateDbShutdown, which
 * the module's lifecycle calls. */
#ifndef CS_CONTROL_TERMINATE_DB_H
#define CS_CONTROL_TERMINATE_DB_H

#include "pb/pb_identifier.h"

PB_BEGIN_DECLS

typedef struct CS___CONTROL_TERMINATE_IMP CS___CONTROL_TERMINATE_IMP;

/* Sets the control with that identifier desired; false when none is
 * registered under it. Precondition: identifier not NULL. */
PB_EXPORT PB_BOOL cs___ControlTerminateDbTerminateSetDesired(PB_IDENTIFIER* identifier);

/* Used by the controls: registration replaces an entry with an equal
 * identifier; removal of an absent one does nothing. */
PB_EXPORT void cs___ControlTerminateDbRegister(PB_IDENTIFIER* identifier, CS___CONTROL_TERMINATE_IMP* terminateImp);
PB_EXPORT void cs___ControlTerminateDbUnregister(PB_IDENTIFIER* identifier);

PB_EXPORT void cs___ControlTerminateDbStartup(void);
PB_EXPORT void cs___ControlTerminateDbShutdown(void);

PB_END_DECLS

#endif
