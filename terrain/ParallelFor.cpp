#include "terrain/ParallelFor.h"

#ifdef __linux__
#include <sched.h>
#endif

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace morvik {

// The cores this process may run on, where the system says (taskset, a
// container's CPU set); else every core the machine has.
int32_t MachineThreads() {
#ifdef __linux__
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        return std::max(1, CPU_COUNT(&allowed));
#endif
    return static_cast<int32_t>(std::max(1U, std::thread::hardware_concurrency()));
}

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
    template <typename Work>
    void Start(const Work& work) {
        threads_.emplace_back(work);
    }

  private:
    std::vector<std::thread> threads_;
};

}  // namespace

void ParallelFor(int32_t count, int32_t threads, const std::function<void(int32_t)>& body) {
    std::atomic<int32_t> next{0};
    const auto work = [&] {
        for (int32_t i = next++; i < count; i = next++) body(i);
    };
    {
        JoinedThreads helpers;
        for (int32_t helper = 1; helper < std::min(threads, count); ++helper) helpers.Start(work);
        work();
    }  // the helpers are joined here
}

void ForEachBand(int32_t width, int32_t threads,
                 const std::function<void(int32_t band, int32_t first, int32_t end)>& body) {
    ParallelFor(BandsOf(width), threads, [&](int32_t band) {
        const int32_t first = band * kBandWidth;
        body(band, first, std::min(first + kBandWidth, width));
    });
}

}  // namespace morvik
