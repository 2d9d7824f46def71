#pragma once

// Time stamps of the start-up's phases, for bench/startup: when the environment variable
// TIVORA_STARTUP_TRACE names a file as the program starts, each mark appends one line
// "<phase> <CLOCK_MONOTONIC nanoseconds>" to it; otherwise a mark costs a test of a flag.
// Marks are made on the main thread. The first mark reads the variable and takes it out of the
// environment, so that programs started later do not write into the same file.
namespace StartupTrace {

void Mark(const char* phase);

}  // namespace StartupTrace
