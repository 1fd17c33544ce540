// The trace sink: a JSON-lines file that every stream event is appended to.
#include "tr/tr_sink.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "pb/pb_timestamp.h"
#include "tr/tr_sink.hpp"

namespace {

std::mutex sinkMutex;                // guards sinkFile
std::FILE* sinkFile = nullptr;       // guarded by sinkMutex; NULL while closed
std::atomic<bool> sinkOpen{false};   // mirrors sinkFile != NULL for the cheap test

// The abort hook: a precondition may fail while this thread holds the
// sink's lock, so it flushes only when the lock is free.
void flushOnAbort() {
    if (!sinkMutex.try_lock()) return;
    if (sinkFile) std::fflush(sinkFile);
    sinkMutex.unlock();
}

void closeLocked() {
    if (!sinkFile) return;
    sinkOpen.store(false, std::memory_order_release);
    std::fclose(sinkFile);
    sinkFile = nullptr;
    pb___AbortSetHook(nullptr);
}

}  // namespace

bool tr::sinkActive() { return sinkOpen.load(std::memory_order_acquire); }

void tr::sinkWrite(const std::string& body) {
    std::string line = "{\"time\":" + std::to_string(pbTimestamp()) + "," + body + "}\n";
    std::lock_guard guard(sinkMutex);
    if (sinkFile) std::fwrite(line.data(), 1, line.size(), sinkFile);
}

extern "C" PB_EXPORT PB_BOOL trSinkOpenFileCstr(const char* path, PB_INT length) {
    PB_ASSERT(path);
    std::string name = length < 0 ? std::string(path) : std::string(path, size_t(length));
    std::lock_guard guard(sinkMutex);
    closeLocked();
    sinkFile = std::fopen(name.c_str(), "a");
    if (!sinkFile) return PB_FALSE;
    pb___AbortSetHook(flushOnAbort);
    sinkOpen.store(true, std::memory_order_release);
    return PB_TRUE;
}

extern "C" PB_EXPORT void trSinkClose(void) {
    std::lock_guard guard(sinkMutex);
    closeLocked();
}

extern "C" PB_EXPORT void trSinkFlush(void) {
    std::lock_guard guard(sinkMutex);
    if (sinkFile) std::fflush(sinkFile);
}

extern "C" PB_EXPORT PB_BOOL trSinkActive(void) { return tr::sinkActive(); }
