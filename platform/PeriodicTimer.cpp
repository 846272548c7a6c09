#include "platform/PeriodicTimer.h"

#include <QSocketNotifier>

#if __has_include(<sys/timerfd.h>)
#include <sys/timerfd.h>
#include <unistd.h>

#include <cstdint>
#define MORVIK_HAS_TIMERFD 1
#endif

namespace morvik {

namespace {

#ifdef MORVIK_HAS_TIMERFD

int CreateTimer() { return timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC); }

// A zero period disarms the timer and forgets its expiries.
void Arm(int fd, std::chrono::nanoseconds period) {
    const timespec each{static_cast<time_t>(period.count() / 1'000'000'000),
                        static_cast<long>(period.count() % 1'000'000'000)};
    const itimerspec schedule{each, each};
    timerfd_settime(fd, 0, &schedule, nullptr);
}

// Whether the timer has expired since it was last asked, once or more.
bool TakeExpiries(int fd) {
    uint64_t expiries = 0;
    return read(fd, &expiries, sizeof expiries) == sizeof expiries && expiries > 0;
}

void CloseTimer(int fd) { close(fd); }

#else

int CreateTimer() { return -1; }
void Arm(int, std::chrono::nanoseconds) {}
bool TakeExpiries(int) { return false; }
void CloseTimer(int) {}

#endif

}  // namespace

PeriodicTimer::PeriodicTimer(std::chrono::milliseconds period, QObject* parent)
    : QObject(parent), period_(period), fd_(CreateTimer()) {
    if (fd_ >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, &PeriodicTimer::Expired);
    } else {
        fallback_.setTimerType(Qt::PreciseTimer);
        fallback_.setInterval(period_);
        connect(&fallback_, &QTimer::timeout, this, &PeriodicTimer::Timeout);
    }
}

PeriodicTimer::~PeriodicTimer() {
    notifier_.reset();  // before its descriptor goes
    if (fd_ >= 0) CloseTimer(fd_);
}

void PeriodicTimer::Start() {
    active_ = true;
    if (fd_ >= 0) {
        Arm(fd_, period_);
    } else {
        fallback_.start();
    }
}

void PeriodicTimer::Stop() {
    active_ = false;
    if (fd_ >= 0) {
        Arm(fd_, std::chrono::nanoseconds::zero());
    } else {
        fallback_.stop();
    }
}

// A wake-up that finds no expiry (the timer was stopped or restarted after
// the loop saw it ready) is no tick.
void PeriodicTimer::Expired() {
    if (TakeExpiries(fd_)) emit Timeout();
}

}  // namespace morvik
