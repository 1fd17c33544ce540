/* The module "cs": every public header in one include. */
#ifndef CS_H
#define CS_H

#include "cs/base/cs_module.h"
#include "cs/base/cs_options.h"

#endif
