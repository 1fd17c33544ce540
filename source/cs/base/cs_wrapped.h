/* Wrapped objects (CS_WRAPPED): stand-ins in the object table for objects
 * of another sort that are not instantiated.
 *
 * A wrapped object holds wrapped options (cs_wrapped_options.h): the sort
 * name and configuration of the object it stands for, and the mode that
 * says why it is wrapped. Gathering the configuration writes them out
 * unchanged, so the configuration of a missing or disabled sort survives.
 * The options may be read and replaced from any thread:
 *
 *     CS_WRAPPED* wrapped = csWrappedCreate( options );
 *     CS_WRAPPED_OPTIONS* current = csWrappedOptions( wrapped );
 *     csWrappedOptionsSetMode( &current, CS_WRAPPED_MODE_DISABLED );
 *     csWrappedSetOptions( wrapped, current );
 *
 * The sort CS_WRAPPED is registered with the sort table while the module
 * runs (cs_wrapped_cs.h); its configuration is the options' store form. */
#ifndef CS_WRAPPED_H
#define CS_WRAPPED_H

#include "cs/base/cs_wrapped_options.h"

PB_BEGIN_DECLS

typedef struct CS_WRAPPED CS_WRAPPED;

extern PB_EXPORT PB_SORT cs___sort_CS_WRAPPED;
PB_STDFUNCS_DECLARE(csWrapped, CS_WRAPPED);

/* Precondition: options not NULL; the wrapped object keeps a reference. */
PB_EXPORT CS_WRAPPED* csWrappedCreate(CS_WRAPPED_OPTIONS* options);
/* The current options (a new reference). */
PB_EXPORT CS_WRAPPED_OPTIONS* csWrappedOptions(CS_WRAPPED* wrapped);
/* Precondition: options not NULL. */
PB_EXPORT void csWrappedSetOptions(CS_WRAPPED* wrapped, CS_WRAPPED_OPTIONS* options);

PB_END_DECLS

#endif
