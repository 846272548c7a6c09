#pragma once

// Real input through xdotool, for the tests that run on a real X server
// (under xvfb-run). They wait for what follows with QTest::qWaitFor.
#include <QProcess>
#include <QString>
#include <QStringList>

namespace morvik {

inline QString Xdo(const QStringList& arguments) {
    QProcess xdotool;
    xdotool.start("xdotool", arguments);
    xdotool.waitForFinished(10000);
    return QString::fromUtf8(xdotool.readAllStandardOutput()).trimmed();
}

}  // namespace morvik
