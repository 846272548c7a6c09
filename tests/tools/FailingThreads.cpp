// Preloaded into the batch tool, makes the system refuse new threads as it
// does at its process limit (EAGAIN), after FAILING_THREADS_ALLOWED more
// have been started (none if unset).
#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace {

std::atomic<long> started{0};

}  // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                              void* (*start)(void*), void* argument) {
    const char* allowed = std::getenv("FAILING_THREADS_ALLOWED");
    if (started++ >= (allowed != nullptr ? std::atol(allowed) : 0)) return EAGAIN;
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto create = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    return create(thread, attributes, start, argument);
}
