#include "tools/SystemText.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace morvik {

std::string SystemReason(int error) {
    const char* description = strerrordesc_np(error);
    return description != nullptr ? description : "error " + std::to_string(error);
}

std::optional<int64_t> WholeNumber(std::string_view text) {
    if (text.starts_with('+')) text.remove_prefix(1);
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> DecimalNumber(std::string_view text) {
    if (text.starts_with('+')) text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace morvik
