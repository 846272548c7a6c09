#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "components/ReducedImage/ColourReduction.h"

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

// What a run tells when it is done, "key: value" a line, gathered whole and
// then written at once, to standard output or, where a file of the run is
// written there, to standard error.
class Report {
  public:
    explicit Report(bool toStandardError) : toStandardError_(toStandardError) {}

    void Value(const char* key, long long value);
    void Name(const char* key, const std::string& file);
    void Reduction(const morvik::Reduction& reduction, const std::vector<std::string>& files);

    // The same keys and values as one JSON object, each file's key with an
    // array of its names (its tiles, or the one file), and `extra`'s members
    // after them.
    std::string Json(const nlohmann::ordered_json& extra) const;

    // Throws as WriteStandardStream does.
    void Write() const;

  private:
    using Entry = std::pair<std::string, std::variant<long long, std::string>>;
    bool toStandardError_;
    std::vector<Entry> entries_;
};

}  // namespace morvik
