// The host's service loop.
#include "host_service.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include "cs/cs.h"
#include "host_log.h"
#include "pb/pb.h"

namespace vorlix::host {

namespace {

sigset_t serviceSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

void blockServiceSignals() {
    sigset_t set = serviceSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

HostService::HostService(HostConfiguration& configuration, long long saveDelayMs)
    : configuration_(configuration), saveDelayMs_(saveDelayMs) {
    sigset_t set = serviceSignals();
    signalFd_ = signalfd(-1, &set, SFD_CLOEXEC);
    eventFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
    signalable_ = pbSignalableCreateWithCallback(&HostService::configChanged, this);
}

HostService::~HostService() {
    csConfigUpdateDelSignalable(signalable_);
    pbSignalableRelease(signalable_);
    for (int fd : {signalFd_, eventFd_, timerFd_})
        if (fd >= 0) ::close(fd);
}

// Runs on the thread that changed the configuration, with the
// configuration's lock held: only wake the loop.
void HostService::configChanged(void* self) {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(static_cast<HostService*>(self)->eventFd_, &one, sizeof one);
}

void HostService::listen() { csConfigUpdateAddSignalable(signalable_); }

void HostService::armSave() {
    if (saveArmed_ || !configuration_.hasDirectory()) return;
    itimerspec due{};
    due.it_value.tv_sec = time_t(saveDelayMs_ / 1000);
    due.it_value.tv_nsec = long(saveDelayMs_ % 1000) * 1000000L;
    if (saveDelayMs_ <= 0) due.it_value.tv_nsec = 1;
    timerfd_settime(timerFd_, 0, &due, nullptr);
    saveArmed_ = true;
}

// The update signal fires once; listen again before looking, so that a
// change after the look is heard too.
void HostService::onConfigChanged() {
    uint64_t count;
    [[maybe_unused]] ssize_t n = ::read(eventFd_, &count, sizeof count);
    listen();
    if (csConfigVersion() > configuration_.savedVersion()) armSave();
}

int HostService::run() {
    listen();
    if (csConfigVersion() > configuration_.savedVersion()) armSave();
    sd_notify(0, "READY=1\nSTATUS=running");
    logLine("service: running (pid " + std::to_string(::getpid()) + ")");
    std::vector<pollfd> fds = {{signalFd_, POLLIN, 0}, {eventFd_, POLLIN, 0}, {timerFd_, POLLIN, 0}};
    for (const auto& watch : watches_) fds.push_back({watch.fd, POLLIN, 0});
    for (;;) {
        if (::poll(fds.data(), nfds_t(fds.size()), -1) < 0) {
            if (errno == EINTR) continue;
            logError(std::string("poll: ") + std::strerror(errno));
            break;
        }
        for (size_t i = 3; i < fds.size(); ++i)
            if (fds[i].revents & POLLIN) watches_[i - 3].onReadable();
        if (fds[1].revents & POLLIN) onConfigChanged();
        if (fds[2].revents & POLLIN) {
            uint64_t expirations;
            [[maybe_unused]] ssize_t n = ::read(timerFd_, &expirations, sizeof expirations);
            saveArmed_ = false;
            if (configuration_.save(false))
                logLine("configuration: saved version " + std::to_string(configuration_.savedVersion()));
        }
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(signalFd_, &info, sizeof info) != ssize_t(sizeof info)) continue;
            if (info.ssi_signo == SIGHUP) {
                sd_notify(0, "RELOADING=1\nSTATUS=reloading");
                logLine("service: SIGHUP, reloading the configuration");
                if (beforeReload_) beforeReload_();
                configuration_.reload();
                sd_notify(0, "READY=1\nSTATUS=running");
                continue;
            }
            logLine(std::string("service: ") + (info.ssi_signo == SIGTERM ? "SIGTERM" : "SIGINT") + ", stopping");
            break;
        }
    }
    sd_notify(0, "STOPPING=1\nSTATUS=stopping");
    csConfigUpdateDelSignalable(signalable_);
    if (!configuration_.hasDirectory()) return 0;
    if (!configuration_.save(true)) return 1;
    logLine("configuration: saved version " + std::to_string(configuration_.savedVersion()));
    return 0;
}

}  // namespace vorlix::host
