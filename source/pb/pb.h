/* The vorlix base runtime: every public header in one include. */
#ifndef PB_H
#define PB_H

#include "pb/pb_types.h"
#include "pb/pb_obj.h"
#include "pb/pb_string.h"
#include "pb/pb_buffer.h"
#include "pb/pb_module.h"
#include "pb/pb_module_version.h"

#endif
