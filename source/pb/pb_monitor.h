/* Monitors: recursive exclusive locks.
 *
 * One thread at a time holds a monitor; the holder may enter it again, and
 * leaves it as often as it entered. In C++ use pb::MonitorGuard
 * (pb_monitor.hpp) instead of pairing the calls by hand:
 *
 *     pbMonitorEnter( imp->monitor );
 *     ... read and change the fields it guards ...
 *     pbMonitorLeave( imp->monitor );
 *
 * Precondition of pbMonitorLeave: the calling thread holds the monitor. */
#ifndef PB_MONITOR_H
#define PB_MONITOR_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_MONITOR PB_MONITOR;

PB_STDFUNCS_DECLARE(pbMonitor, PB_MONITOR);

PB_EXPORT PB_MONITOR* pbMonitorCreate(void);
PB_EXPORT void pbMonitorEnter(PB_MONITOR* monitor);
PB_EXPORT void pbMonitorLeave(PB_MONITOR* monitor);

PB_END_DECLS

#endif
