#include "tools/Report.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tools/StandardStreams.h"
#include "tools/SystemText.h"

namespace morvik {

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
