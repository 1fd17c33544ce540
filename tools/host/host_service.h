// The service loop of the host: runs until SIGTERM or SIGINT, reloads on
// SIGHUP, and saves the configuration shortly after each change of it.
//
// Signals are blocked in every thread (blockServiceSignals, called first
// thing in main, before any thread exists) and read from a signalfd on the
// main thread, so no work is done in a signal handler. The configuration's
// update signal wakes the loop through an eventfd; a timerfd delays the
// save by the debounce interval, so a burst of changes is written once.
#pragma once

#include <functional>
#include <vector>

#include "host_configuration.h"
#include "pb/pb_signalable.h"

namespace vorlix::host {

void blockServiceSignals();

class HostService {
public:
    HostService(HostConfiguration& configuration, long long saveDelayMs);
    ~HostService();
    HostService(const HostService&) = delete;
    HostService& operator=(const HostService&) = delete;

    // False when the loop's descriptors could not be made.
    bool ready() const { return signalFd_ >= 0 && eventFd_ >= 0 && timerFd_ >= 0; }
    // Runs until SIGTERM or SIGINT, then gathers and saves. Returns the
    // exit status: 0, or 1 when the final save failed.
    int run();
    // Also waits for fd to become readable and then calls onReadable on
    // the loop's thread (which must read what made it readable).
    void addWatch(int fd, std::function<void()> onReadable) { watches_.push_back({fd, std::move(onReadable)}); }
    // Called on SIGHUP just before the files are read again.
    void beforeReload(std::function<void()> hook) { beforeReload_ = std::move(hook); }

private:
    static void configChanged(void* self);
    void listen();
    void armSave();
    void onConfigChanged();

    HostConfiguration& configuration_;
    long long saveDelayMs_;
    int signalFd_ = -1, eventFd_ = -1, timerFd_ = -1;
    bool saveArmed_ = false;
    PB_SIGNALABLE* signalable_ = nullptr;  // wakes the loop; owned
    struct Watch {
        int fd;
        std::function<void()> onReadable;
    };
    std::vector<Watch> watches_;
    std::function<void()> beforeReload_;
};

}  // namespace vorlix::host
