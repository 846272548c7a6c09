#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvik {

// The system's reason for an error number in English, as the tool's other
// messages are, whatever language the session's locale would give it.
std::string SystemReason(int error);

// A whole number, all of the text, a "+" before it allowed; none for
// anything else (a name, a file's line).
std::optional<int64_t> WholeNumber(std::string_view text);

// A finite decimal number ("512", "0.25", "1e3"), all of the text, a "+"
// before it allowed; none for anything else.
std::optional<double> DecimalNumber(std::string_view text);

}  // namespace morvik
