#pragma once

#include <stdexcept>
#include <string>

#include "run/RunReport.h"

namespace morvik {

// A standard stream that could not take what was written to it; the message
// says which and the system's reason, `error` is that reason's number.
class EStreamWriteError : public std::runtime_error {
  public:
    EStreamWriteError(int error, const std::string& message)
        : std::runtime_error(message), error(error) {}
    int error;
};

// Writes all of the text to standard output, or standard error; throws
// EStreamWriteError when it cannot (a full disk, a closed pipe).
void WriteStandardStream(bool toStandardError, const std::string& text);

// A run's report, written whole at once to standard output or, where a
// file of the run is written there, to standard error.
class Report : public RunReport {
  public:
    explicit Report(bool toStandardError) : toStandardError_(toStandardError) {}

    // Throws as WriteStandardStream does.
    void Write() const { WriteStandardStream(toStandardError_, Text()); }

  private:
    bool toStandardError_;
};

}  // namespace morvik
