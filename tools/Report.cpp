#include "tools/Report.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tools/StandardStreams.h"
#include "tools/SystemText.h"

namespace morvik {

void Report::Value(const char* key, long long value) { entries_.emplace_back(key, value); }

void Report::Name(const char* key, const std::string& file) { entries_.emplace_back(key, file); }

void Report::Write() const {
    std::string text;
    for (const auto& [key, value] : entries_) {
        text.append(key).append(": ");
        text.append(std::holds_alternative<long long>(value)
                        ? std::to_string(std::get<long long>(value))
                        : std::get<std::string>(value));
        text.append("\n");
    }
    WriteStandardStream(toStandardError_, text);
}

std::string Report::Json(const nlohmann::ordered_json& extra) const {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const auto& [key, value] : entries_) {
        if (std::holds_alternative<long long>(value)) {
            object[key] = std::get<long long>(value);
            continue;
        }
        if (!object.contains(key)) object[key] = nlohmann::ordered_json::array();
        object[key].push_back(std::get<std::string>(value));
    }
    for (const auto& [key, value] : extra.items()) object[key] = value;
    // File names are bytes: one that is no UTF-8 is written with U+FFFD
    // where its bytes make no character.
    return object.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

void Report::Reduction(const morvik::Reduction& reduction, const std::vector<std::string>& files) {
    Value("source_colors", reduction.sourceColours);
    Value("color_count", reduction.colourCount);
    Value("levels", reduction.levels);
    for (const std::string& file : files) Name("output", file);
}

void WriteStandardStream(bool toStandardError, const std::string& text) {
    const int to = toStandardError ? STDERR_FILENO : STDOUT_FILENO;
    const auto fail = [&](int error) {
        throw EStreamWriteError(error,
                                std::string("cannot write ") +
                                    (toStandardError ? "standard error: " : "standard output: ") +
                                    (error != 0 ? SystemReason(error) : "nothing was written"));
    };
    if (!WasOpenAtStart(to)) fail(EBADF);
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t written = write(to, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) fail(written < 0 ? errno : 0);
        done += static_cast<std::size_t>(written);
    }
}

}  // namespace morvik
