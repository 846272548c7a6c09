#include "terrain/ParallelFor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

namespace morvik {
namespace {

// A body that fails, on whichever thread, fails the call once every thread
// has stopped: nothing runs on after it, and nothing is left running.
TEST(ParallelFor, AFailingBodyFailsTheCallOnceAllHaveStopped) {
    for (const int32_t threads : {1, 2, 4}) {
        for (const int32_t failing : {0, 7, 63}) {
            std::atomic<int32_t> running{0};
            EXPECT_THROW(ParallelFor(64, threads,
                                     [&](int32_t i) {
                                         ++running;
                                         if (i == failing) {
                                             --running;
                                             throw std::bad_alloc();
                                         }
                                         std::this_thread::yield();
                                         --running;
                                     }),
                         std::bad_alloc)
                << threads << " threads, failing at " << failing;
            EXPECT_EQ(running, 0) << "every body has returned";
        }
    }
    std::vector<int32_t> done(100, 0);
    ParallelFor(100, 3, [&](int32_t i) { ++done[static_cast<std::size_t>(i)]; });
    EXPECT_EQ(done, std::vector<int32_t>(100, 1)) << "each i once";
}

}  // namespace
}  // namespace morvik
