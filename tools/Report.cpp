#include "tools/Report.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tools/StandardStreams.h"
#include "tools/SystemText.h"

namespace morvik {

void Report::Value(const char* key, long long value) {
    text_ += std::string(key) + ": " + std::to_string(value) + "\n";
}

void Report::Name(const char* key, const std::string& file) {
    text_ += std::string(key) + ": " + file + "\n";
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
