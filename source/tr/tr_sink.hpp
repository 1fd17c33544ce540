// The trace sink's side of writing events, called by streams and marks.
#pragma once

#include <string>

namespace tr {

// Whether a sink is open: a cheap test, so callers skip building lines
// that nobody would read. A sink may close at any moment afterwards;
// sinkWrite then drops the line.
bool sinkActive();

// Writes {"time":<now>,<body>} and a line break to the open sink.
void sinkWrite(const std::string& body);

}  // namespace tr
