#include "platform/PeriodicTimer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTest>
#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>

namespace morvik {
namespace {

using namespace std::chrono_literals;

constexpr auto kPeriod = 1ms;
constexpr int kBound = 5000;  // ms; a tick comes far sooner

// The timer on its timerfd, and one made when no file descriptor is left,
// which falls back on Qt's precise timer.
class PeriodicTimerTest : public testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        if (GetParam()) {
            timer = std::make_unique<PeriodicTimer>(kPeriod);
        } else {
#ifdef __SANITIZE_ADDRESS__
            // The sanitizers' own checks need descriptors too (a pipe to
            // probe memory), so they fail where none is left.
            GTEST_SKIP() << "needs every descriptor taken, which the sanitizers cannot run with";
#endif
            rlimit limits{};
            ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limits), 0);
            const int lowestFree = open("/dev/null", O_RDONLY);
            ASSERT_GE(lowestFree, 0);
            close(lowestFree);
            rlimit full = limits;
            full.rlim_cur = lowestFree;
            ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &full), 0);
            const int refused = open("/dev/null", O_RDONLY);
            const int error = errno;
            timer = std::make_unique<PeriodicTimer>(kPeriod);
            ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limits), 0);
            ASSERT_EQ(refused, -1);
            ASSERT_EQ(error, EMFILE);
        }
        QObject::connect(timer.get(), &PeriodicTimer::Timeout, [this] { ++ticks; });
    }

    // Whether a tick comes within the bound.
    bool NextTick(int bound = kBound) {
        const int before = ticks;
        return QTest::qWaitFor([&] { return ticks > before; }, bound);
    }

    std::unique_ptr<PeriodicTimer> timer;
    int ticks = 0;
};

TEST_P(PeriodicTimerTest, TicksUntilStopped) {
    EXPECT_FALSE(timer->IsActive());
    EXPECT_FALSE(NextTick(50)) << "not before it starts";
    timer->Start();
    EXPECT_TRUE(timer->IsActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 20; }, kBound));

    timer->Stop();
    EXPECT_FALSE(timer->IsActive());
    EXPECT_FALSE(NextTick(50));

    timer->Start();
    EXPECT_TRUE(NextTick()) << "a stopped timer starts again";
}

TEST_P(PeriodicTimerTest, MissedPeriodsComeAsOneTick) {
    timer->Start();
    ASSERT_TRUE(NextTick());
    const int before = ticks;
    std::this_thread::sleep_for(20ms);  // the thread is busy for twenty periods
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, before + 1) << "one tick, however many periods passed";

    // Periods that passed before a stop are forgotten with it.
    std::this_thread::sleep_for(5ms);
    timer->Stop();
    EXPECT_FALSE(NextTick(50)) << "no tick after a stop";
}

INSTANTIATE_TEST_SUITE_P(, PeriodicTimerTest, testing::Values(true, false), [](const auto& info) {
    return info.param ? "OnATimerfd" : "WithoutADescriptorToSpare";
});

}  // namespace
}  // namespace morvik
