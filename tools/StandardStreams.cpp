#include "tools/StandardStreams.h"

#include <fcntl.h>

#include <array>

namespace morvik {

namespace {

std::array<bool, 3> openAtStart{true, true, true};

}  // namespace

void GuardStandardStreams() {
    for (int descriptor = 0; descriptor < 3; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) != -1) continue;
        openAtStart[static_cast<std::size_t>(descriptor)] = false;
        // open() takes the lowest free number: this one.
        open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
    }
}

bool WasOpenAtStart(int descriptor) {
    return descriptor > 2 || openAtStart[static_cast<std::size_t>(descriptor)];
}

}  // namespace morvik
