// Preloaded into the batch tool, makes the FAILING_RENAMES_AT-th call of
// renameat2 or renameat fail (EIO); with FAILING_RENAMES_NO_EXCHANGE set,
// renameat2 with flags fails as on a file system without them (EINVAL);
// with FAILING_RENAMES_DELAY_MS, each call first waits that long.
#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace {

std::atomic<long> calls{0};

long Setting(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::atol(value) : 0;
}

// Whether this call is made to fail, and how.
int Failure(unsigned int flags) {
    if (const long delay = Setting("FAILING_RENAMES_DELAY_MS")) usleep(delay * 1000);
    if (++calls == Setting("FAILING_RENAMES_AT")) return EIO;
    if (flags != 0 && std::getenv("FAILING_RENAMES_NO_EXCHANGE") != nullptr) return EINVAL;
    return 0;
}

}  // namespace

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned int flags) {
    if (const int error = Failure(flags)) {
        errno = error;
        return -1;
    }
    using Rename = int (*)(int, const char*, int, const char*, unsigned int);
    static const auto rename = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "renameat2"));
    return rename(fromFolder, from, toFolder, to, flags);
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    if (const int error = Failure(0)) {
        errno = error;
        return -1;
    }
    using Rename = int (*)(int, const char*, int, const char*);
    static const auto rename = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "renameat"));
    return rename(fromFolder, from, toFolder, to);
}
