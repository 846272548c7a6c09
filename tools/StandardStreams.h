#pragma once

namespace morvik {

// Puts /dev/null on any of standard input, output and error that the tool
// was started without, so that no file it opens takes their numbers (and
// what is meant for standard output lands in a file); remembers which.
void GuardStandardStreams();

// Whether standard input, output or error (0, 1, 2) was open at the start.
bool WasOpenAtStart(int descriptor);

}  // namespace morvik
