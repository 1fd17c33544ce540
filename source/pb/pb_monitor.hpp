// pb::MonitorGuard: holds a monitor for the life of a scope.
//
//     pb::MonitorGuard guard( imp->monitor );
#pragma once

#include "pb/pb_monitor.h"

namespace pb {

class MonitorGuard {
public:
    explicit MonitorGuard(PB_MONITOR* monitor) : monitor_(monitor) { pbMonitorEnter(monitor_); }
    ~MonitorGuard() { pbMonitorLeave(monitor_); }
    MonitorGuard(const MonitorGuard&) = delete;
    MonitorGuard& operator=(const MonitorGuard&) = delete;

private:
    PB_MONITOR* monitor_;
};

}  // namespace pb
