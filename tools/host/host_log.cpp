// The host's log lines.
#include "host_log.h"

#include <cstdio>

namespace vorlix::host {

void logLine(const std::string& line) {
    std::fprintf(stdout, "%s\n", line.c_str());
    std::fflush(stdout);
}

void logError(const std::string& line) {
    std::fflush(stdout);
    std::fprintf(stderr, "vorlix-host: %s\n", line.c_str());
    std::fflush(stderr);
}

}  // namespace vorlix::host
