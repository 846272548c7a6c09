#include "terrain/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace morvik {

namespace {

// Threads joined when they go, however their scope ends, as std::jthread
// would be: the browser build's standard library has none.
class JoinedThreads {
  public:
    JoinedThreads() = default;
    JoinedThreads(const JoinedThreads&) = delete;
    JoinedThreads& operator=(const JoinedThreads&) = delete;
    ~JoinedThreads() {
        for (std::thread& thread : threads_) thread.join();
    }
    // Whether a thread could be started for the work; none is no error, as
    // the caller's thread does what is left.
    template <typename Work>
    bool Start(const Work& work) {
        try {
            threads_.emplace_back(work);
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    }

  private:
    std::vector<std::thread> threads_;
};

}  // namespace

void ParallelFor(int32_t count, int32_t threads, const std::function<void(int32_t)>& body) {
    std::atomic<int32_t> next{0};
    std::mutex failing;
    std::exception_ptr failure;
    // A body that throws ends the handing out: its error is the caller's,
    // once every thread has stopped.
    const auto work = [&] {
        try {
            for (int32_t i = next++; i < count; i = next++) body(i);
        } catch (...) {
            next = count;
            const std::lock_guard lock(failing);
            if (!failure) failure = std::current_exception();
        }
    };
    {
        JoinedThreads helpers;
        for (int32_t helper = 1; helper < std::min(threads, count); ++helper) {
            if (!helpers.Start(work)) break;
        }
        work();
    }  // the helpers are joined here
    if (failure) std::rethrow_exception(failure);
}

void ForEachBand(int32_t width, int32_t threads,
                 const std::function<void(int32_t band, int32_t first, int32_t end)>& body) {
    ParallelFor(BandsOf(width), threads, [&](int32_t band) {
        const int32_t first = band * kBandWidth;
        body(band, first, std::min(first + kBandWidth, width));
    });
}

}  // namespace morvik
