#pragma once

// Real input through xdotool, and a real window manager, for the tests that
// run on a real X server (under xvfb-run). They wait for what follows with
// QTest::qWaitFor.
#include <QMargins>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTest>

namespace morvik {

// What an X client prints, trimmed.
inline QString RunX(const QString& program, const QStringList& arguments) {
    QProcess client;
    client.start(program, arguments);
    client.waitForFinished(10000);
    return QString::fromUtf8(client.readAllStandardOutput()).trimmed();
}

inline QString Xdo(const QStringList& arguments) { return RunX("xdotool", arguments); }

// A window's client area on the screen, as X has it.
inline QRect ClientRect(const QString& window) {
    QRect rect;
    for (const QString& line : RunX("xwininfo", {"-id", window}).split('\n')) {
        const int value = line.section(':', 1).trimmed().toInt();
        if (line.contains("Absolute upper-left X")) rect.moveLeft(value);
        if (line.contains("Absolute upper-left Y")) rect.moveTop(value);
        if (line.trimmed().startsWith("Width:")) rect.setWidth(value);
        if (line.trimmed().startsWith("Height:")) rect.setHeight(value);
    }
    return rect;
}

// The frame around a window as its window manager reports it; none without one.
inline QMargins FrameExtents(const QString& window) {
    const QString reply = RunX("xprop", {"-id", window, "_NET_FRAME_EXTENTS"});
    const QStringList sides = reply.section('=', 1).split(',');
    if (sides.size() != 4) return QMargins();
    return QMargins(sides[0].toInt(), sides[2].toInt(), sides[1].toInt(), sides[3].toInt());
}

inline QRect FrameRect(const QString& window) {
    return ClientRect(window).marginsAdded(FrameExtents(window));
}

inline bool WindowManagerRunning() {
    return RunX("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id");
}

// A window manager for as long as it lives, ready once it has claimed the
// screen.
class WindowManager {
  public:
    explicit WindowManager(const QString& program) {
        process_.start(program, {});
        ready_ = process_.waitForStarted() && QTest::qWaitFor(WindowManagerRunning, 10000);
    }
    ~WindowManager() {
        process_.kill();
        process_.waitForFinished();
        // The next one claims a screen without this one's leftovers.
        RunX("xprop", {"-root", "-remove", "_NET_SUPPORTING_WM_CHECK"});
    }
    bool Ready() const { return ready_; }

  private:
    QProcess process_;
    bool ready_ = false;
};

}  // namespace morvik
