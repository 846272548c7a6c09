#pragma once

// Helpers for the tests that run on a real X server (under xvfb-run): real
// input through xdotool, and waiting for what follows from it.
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>
#include <functional>

namespace morvik {

inline QString Xdo(const QStringList& arguments) {
    QProcess xdotool;
    xdotool.start("xdotool", arguments);
    xdotool.waitForFinished(10000);
    return QString::fromUtf8(xdotool.readAllStandardOutput()).trimmed();
}

inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > timeoutMs) return false;
        QTest::qWait(50);
    }
    return true;
}

}  // namespace morvik
