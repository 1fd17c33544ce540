/* The module "cs": every public header in one include. */
#ifndef CS_H
#define CS_H

#include "cs/base/cs_module.h"
#include "cs/base/cs_options.h"
#include "cs/status/cs_status_item_type.h"
#include "cs/status/cs_status_item.h"
#include "cs/status/cs_status_items.h"
#include "cs/status/cs_status.h"
#include "cs/status/cs_status_reporter.h"

#endif
