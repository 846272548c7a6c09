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

// A window manager for as long as it lives, ready once it has claimed the
// screen. "mutter" is GNOME's compositor nested in the test's X server, as
// big as its screen, in a session of its own: the program's windows are on
// its XWayland, and it takes input through its window on the screen.
class WindowManager {
  public:
    explicit WindowManager(const QString& program) : nested_(program == "mutter") {
        if (nested_) {
            StartMutter();
        } else {
            process_.start(program, {});
            ready_ = process_.waitForStarted() && QTest::qWaitFor(WindowManagerRunning, 10000);
        }
    }
    ~WindowManager() {
        if (nested_) {
            if (!command_.isEmpty()) RunX("kill", {command_});  // and with it, mutter
            if (!process_.waitForFinished(10000)) process_.kill();
            ProgramX() = {};
        } else {
            process_.kill();
        }
        process_.waitForFinished();
        // The next one claims a screen without this one's leftovers.
        RunX("xprop", {"-root", "-remove", "_NET_SUPPORTING_WM_CHECK"});
    }
    bool Ready() const { return ready_; }

    // What a program started in this session finds: under mutter, both
    // displays and no platform chosen, as in a GNOME session.
    QProcessEnvironment Session() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (nested_) {
            environment.insert("DISPLAY", ProgramX().name);
            environment.insert("XAUTHORITY", ProgramX().authority);
            environment.insert("WAYLAND_DISPLAY", kWaylandSocket);
            environment.insert("XDG_RUNTIME_DIR", runtime_.path());
            environment.insert("XDG_SESSION_TYPE", "wayland");
            environment.remove("QT_QPA_PLATFORM");
        }
        return environment;
    }

  private:
    // Mutter runs a command once its displays are up and quits when it ends:
    // this one tells its process and the displays, and sleeps until killed.
    void StartMutter() {
        QFile::setPermissions(runtime_.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QSize screen = QGuiApplication::primaryScreen()->size();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime_.path());
        environment.insert("MUTTER_DEBUG_DUMMY_MODE_SPECS",
                           QString("%1x%2").arg(screen.width()).arg(screen.height()));
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start("dbus-run-session",
                       {"--", "mutter", "--nested", "--wayland-display=" + kWaylandSocket, "--",
                        "sh", "-c", R"(echo "$$ $DISPLAY $XAUTHORITY"; exec sleep infinity)"});
        if (!process_.waitForStarted() ||
            !QTest::qWaitFor([this] { return process_.canReadLine(); }, 20000)) {
            return;
        }
        const QStringList displays = QString::fromUtf8(process_.readLine()).trimmed().split(' ');
        if (displays.size() != 3) return;
        command_ = displays[0];
        ProgramX() = {displays[1], displays[2]};
        ready_ = QTest::qWaitFor(WindowManagerRunning, 10000);
    }

    static inline const QString kWaylandSocket = "morvik-test";
    bool nested_;
    QString command_;
    QTemporaryDir runtime_;
    QProcess process_;
    bool ready_ = false;
};

}  // namespace morvik
