/* The vorlix encoding library: every public header in one include. */
#ifndef RFC_H
#define RFC_H

#include "rfc/rfc_module.h"
#include "rfc/rfc_base.h"

#endif
