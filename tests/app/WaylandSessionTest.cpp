// The real program in a Wayland session: a headless weston of the test's
// own beside the X server that xvfb-run gives this process, standing in for
// XWayland. Which of the two the program's windows appear on tells which
// platform it chose.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/RealX.h"

namespace morvik {
namespace {

// A compositor for as long as it lives, with a runtime folder of its own.
class Weston {
  public:
    Weston() {
        QFile::setPermissions(runtime_.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime_.path());
        process_.setProcessEnvironment(environment);
        process_.start("weston", {"--backend=headless-backend.so", "--socket=" + kSocket});
        ready_ =
            process_.waitForStarted() &&
            QTest::qWaitFor(
                [this] { return QFile::exists(QDir(runtime_.path()).filePath(kSocket)); }, 10000);
    }
    ~Weston() {
        process_.kill();
        process_.waitForFinished();
    }
    bool Ready() const { return ready_; }

    // What the program starts with in a session of this compositor: the
    // user's platform choice, if any, and X11 beside it, or not.
    QProcessEnvironment Session(bool withX, const QString& chosen = {}) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime_.path());
        environment.insert("WAYLAND_DISPLAY", kSocket);
        environment.insert("WAYLAND_DEBUG", "client");  // its requests, on standard error
        environment.remove("QT_QPA_PLATFORM");
        if (!chosen.isEmpty()) environment.insert("QT_QPA_PLATFORM", chosen);
        if (!withX) environment.remove("DISPLAY");
        return environment;
    }

  private:
    static inline const QString kSocket = "morvik-test";
    QTemporaryDir runtime_;
    QProcess process_;
    bool ready_ = false;
};

bool OnX11(const QString& caption) {
    return !Xdo({"search", "--onlyvisible", "--name", "^" + caption + "$"}).isEmpty();
}

// The program, started in a session, until the test ends.
class Program {
  public:
    explicit Program(const QProcessEnvironment& environment) {
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start(MORVIK_PATH, {});
    }
    ~Program() {
        process_.kill();
        process_.waitForFinished();
    }

    // Whether the map view has been given its title through Wayland.
    bool MapViewOnWayland() {
        errors_ += process_.readAllStandardError();
        return errors_.contains("set_title(\"" + QString("マップビュー").toUtf8() + "\")");
    }
    bool Running() const { return process_.state() == QProcess::Running; }

  private:
    QProcess process_;
    QByteArray errors_;
};

class WaylandSession : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(weston.Ready()) << "weston did not start"; }
    Weston weston;
};

TEST_F(WaylandSession, WithXWaylandBesideItTheWindowsAreOnX11) {
    QElapsedTimer starting;
    starting.start();
    Program program(weston.Session(true));
    ASSERT_TRUE(QTest::qWaitFor([] { return OnX11("Morvik") && OnX11("マップビュー"); }, 20000));
    RecordProperty("start_to_both_windows_ms", static_cast<int>(starting.elapsed()));
    EXPECT_FALSE(program.MapViewOnWayland());
}

TEST_F(WaylandSession, WaylandAloneOrChosenStartsNatively) {
    for (const bool withX : {false, true}) {
        SCOPED_TRACE(withX ? "Wayland chosen, X11 beside it" : "Wayland alone");
        Program program(weston.Session(withX, withX ? "wayland" : ""));
        EXPECT_TRUE(QTest::qWaitFor([&] { return program.MapViewOnWayland(); }, 20000));
        EXPECT_TRUE(program.Running());
        EXPECT_FALSE(OnX11("Morvik"));
    }
}

}  // namespace
}  // namespace morvik
