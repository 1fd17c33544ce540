// The host's log: one line per event on standard output, flushed at once so
// that journald (or whoever reads the output) sees it when it happens.
// Errors go to standard error, prefixed with the program's name.
#pragma once

#include <string>

namespace vorlix::host {

void logLine(const std::string& line);
void logError(const std::string& line);

}  // namespace vorlix::host
