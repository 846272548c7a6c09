#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>

class QSocketNotifier;

namespace morvik {

// A repeating timer that keeps its period, as the message loop's timer does:
// expiries fall on whole periods from the start, however late each tick is
// handled, and expiries missed while the thread was busy come as one tick.
// Qt's own timers wait whole milliseconds and count each period from the
// late wake-up, so a 1 ms timer drifts by the timer slack and the tick's own
// work every time. On Linux this is a periodic timerfd, which the kernel
// fires on time (no slack); elsewhere, or without a file descriptor to
// spare, a precise QTimer.
class PeriodicTimer : public QObject {
    Q_OBJECT

  public:
    explicit PeriodicTimer(std::chrono::milliseconds period, QObject* parent = nullptr);
    ~PeriodicTimer() override;

    // (Re)starts the periods from now.
    void Start();
    void Stop();
    bool IsActive() const { return active_; }

  signals:
    void Timeout();

  private:
    void Expired();

    std::chrono::milliseconds period_;
    bool active_ = false;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer fallback_;
};

}  // namespace morvik
