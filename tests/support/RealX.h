#pragma once

// Real input through xdotool, and a real window manager, for the tests that
// run on a real X server (under xvfb-run). They wait for what follows with
// QTest::qWaitFor.
#include <QDir>
#include <QGuiApplication>
#include <QMargins>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace morvik {

// The X server that the program's windows are on: the test's own, or the
// XWayland of a compositor nested in it. Input and the screen the user sees
// are the test's own server either way.
struct ProgramDisplay {
    QString name;  // empty: the test's own
    QString authority;
};
inline ProgramDisplay& ProgramX() {
    static ProgramDisplay display;
    return display;
}

// What an X client prints, trimmed.
inline QString RunX(const QString& program, const QStringList& arguments,
                    const ProgramDisplay& display = ProgramX()) {
    QProcess client;
    if (!display.name.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", display.name);
        environment.insert("XAUTHORITY", display.authority);
        client.setProcessEnvironment(environment);
    }
    client.start(program, arguments);
    client.waitForFinished(10000);
    return QString::fromUtf8(client.readAllStandardOutput()).trimmed();
}

// Window queries and window-manager requests, on the program's display.
inline QString Xdo(const QStringList& arguments) { return RunX("xdotool", arguments); }

// Pointer and keys, on the screen the user sees: through the compositor's
// own seat where one is nested there.
inline QString XdoInput(const QStringList& arguments) {
    return RunX("xdotool", arguments, ProgramDisplay{});
}

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

// GNOME's compositor nested in the test's X server, as big as its screen,
// in a session of its own, with XWayland or without; ready once its
// displays are up. It takes input through its window on the screen.
class NestedMutter {
  public:
    explicit NestedMutter(bool withXWayland) {
        QFile::setPermissions(runtime_.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QSize screen = QGuiApplication::primaryScreen()->size();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime_.path());
        environment.insert("MUTTER_DEBUG_DUMMY_MODE_SPECS",
                           QString("%1x%2").arg(screen.width()).arg(screen.height()));
        process_.setProcessEnvironment(environment);
        process_.setStandardErrorFile(QProcess::nullDevice());
        // Mutter runs a command once its displays are up and quits when it
        // ends: this one tells its process and the X display, and sleeps.
        QStringList arguments{"--", "mutter", "--nested", "--wayland-display=" + kSocket};
        if (!withXWayland) arguments << "--no-x11";
        arguments << "--"
                  << "sh"
                  << "-c"
                  << R"(echo "$$ ${DISPLAY:--} $XAUTHORITY"; exec sleep infinity)";
        process_.start("dbus-run-session", arguments);
        if (!process_.waitForStarted() ||
            !QTest::qWaitFor([this] { return process_.canReadLine(); }, 20000)) {
            return;
        }
        const QStringList said = QString::fromUtf8(process_.readLine()).trimmed().split(' ');
        if (said.size() < 2 || (withXWayland && said.size() != 3)) return;
        command_ = said[0];
        if (withXWayland) xWayland_ = {said[1], said[2]};
        ready_ = !withXWayland ||
                 QTest::qWaitFor(
                     [this] {
                         return RunX("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}, xWayland_)
                             .contains("window id");
                     },
                     10000);
    }
    ~NestedMutter() {
        if (!command_.isEmpty()) RunX("kill", {command_});  // and with it, mutter
        if (!process_.waitForFinished(10000)) process_.kill();
        process_.waitForFinished();
    }
    bool Ready() const { return ready_; }
    const ProgramDisplay& XWayland() const { return xWayland_; }

    // What a program started in this session finds, as in a GNOME session:
    // both displays, or Wayland alone, and no platform chosen.
    QProcessEnvironment Session() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("XAUTHORITY");
        if (!xWayland_.name.isEmpty()) {
            environment.insert("DISPLAY", xWayland_.name);
            environment.insert("XAUTHORITY", xWayland_.authority);
        }
        environment.insert("WAYLAND_DISPLAY", kSocket);
        environment.insert("XDG_RUNTIME_DIR", runtime_.path());
        environment.insert("XDG_SESSION_TYPE", "wayland");
        environment.remove("QT_QPA_PLATFORM");
        return environment;
    }

  private:
    static inline const QString kSocket = "morvik-test";
    QTemporaryDir runtime_;
    QProcess process_;
    QString command_;
    ProgramDisplay xWayland_;
    bool ready_ = false;
};

// A window manager for as long as it lives, ready once it has claimed the
// screen. "mutter" is a nested mutter: the program's windows are on its
// XWayland.
class WindowManager {
  public:
    explicit WindowManager(const QString& program) {
        if (program == "mutter") {
            mutter_ = std::make_unique<NestedMutter>(true);
            ProgramX() = mutter_->XWayland();
            ready_ = mutter_->Ready();
        } else {
            process_.start(program, {});
            ready_ = process_.waitForStarted() && QTest::qWaitFor(WindowManagerRunning, 10000);
        }
    }
    ~WindowManager() {
        mutter_.reset();
        ProgramX() = {};
        process_.kill();
        process_.waitForFinished();
        // The next one claims a screen without this one's leftovers.
        RunX("xprop", {"-root", "-remove", "_NET_SUPPORTING_WM_CHECK"});
    }
    bool Ready() const { return ready_; }

    // What a program started under this window manager finds.
    QProcessEnvironment Session() const {
        return mutter_ ? mutter_->Session() : QProcessEnvironment::systemEnvironment();
    }

  private:
    std::unique_ptr<NestedMutter> mutter_;
    QProcess process_;
    bool ready_ = false;
};

}  // namespace morvik
