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
#include "cs/module/cs_module_table.h"
#include "cs/module/cs_module_backend.h"
#include "cs/module/cs_module_record.h"
#include "cs/sort/cs_sort_table.h"
#include "cs/sort/cs_sort_backend.h"
#include "cs/sort/cs_sort_record.h"
#include "cs/base/cs_module_cs.h"
#include "cs/base/cs_startup_complete.h"
#include "cs/object/cs_object_record.h"
#include "cs/object/cs_object_table.h"
#include "cs/object/cs_object.h"
#include "cs/base/cs_wrapped_mode.h"
#include "cs/base/cs_wrapped_options.h"
#include "cs/base/cs_wrapped.h"
#include "cs/base/cs_wrapped_cs.h"
#include "cs/base/cs_stub.h"
#include "cs/base/cs_stub_cs.h"

#endif
