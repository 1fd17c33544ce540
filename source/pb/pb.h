/* The vorlix base runtime: every public header in one include. */
#ifndef PB_H
#define PB_H

#include "pb/pb_types.h"
#include "pb/pb_obj.h"
#include "pb/pb_string.h"
#include "pb/pb_vector.h"
#include "pb/pb_dict.h"
#include "pb/pb_store.h"
#include "pb/pb_buffer.h"
#include "pb/pb_module.h"
#include "pb/pb_module_version.h"
#include "pb/pb_timestamp.h"
#include "pb/pb_runtime_clock.h"
#include "pb/pb_signal.h"
#include "pb/pb_signalable.h"
#include "pb/pb_alert.h"
#include "pb/pb_alertable.h"
#include "pb/pb_process.h"
#include "pb/pb_timer.h"
#include "pb/pb_monitor.h"
#include "pb/pb_region.h"
#include "pb/pb_store_header.h"
#include "pb/pb_flagset.h"
#include "pb/pb_enum.h"
#include "pb/pb_time.h"
#include "pb/pb_identifier.h"
#include "pb/pb_name.h"
#include "pb/pb_random.h"
#include "pb/pb_int.h"

#endif
