// The process-stopping end of every failed precondition.
#include "pb/pb_types.h"

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace {
std::atomic<void (*)(void)> abortHook{nullptr};
}

extern "C" PB_EXPORT void pb___AbortSetHook(void (*hook)(void)) { abortHook.store(hook); }

extern "C" PB_EXPORT void pb___Abort(const char* context, const char* file, PB_INT line,
                                     const char* expression) {
    if (context)
        std::fprintf(stderr, "%s:%" PRId64 ": %s: %s\n", file, line, context, expression);
    else
        std::fprintf(stderr, "%s:%" PRId64 ": %s\n", file, line, expression);
    std::fflush(stderr);
    // The hook runs once: a failure inside it must not recurse.
    if (auto hook = abortHook.exchange(nullptr)) hook();
    std::abort();
}
