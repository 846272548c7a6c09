// The real program in a Wayland session. A headless weston of the test's
// own beside the X server that xvfb-run gives this process stands in for
// XWayland: which of the two the program's windows appear on tells which
// platform it chose. A mutter without XWayland, nested in the X server,
// runs it natively, with input through mutter's seat.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "tests/support/RealX.h"
#include "tests/support/SavedBitmap.h"

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

// Which of a client's windows has the keyboard, followed through its
// Wayland requests and events as WAYLAND_DEBUG prints them.
class WaylandLog {
  public:
    void Add(const QByteArray& printed) {
        unread_ += printed;
        for (qsizetype end; (end = unread_.indexOf('\n')) >= 0; unread_.remove(0, end + 1)) {
            Read(QString::fromUtf8(unread_.left(end)));
        }
    }
    // The title of the window with the keyboard; empty for none.
    QString KeyboardOn() const { return titles_.value(keyboard_); }
    // What was printed besides the log, line by line.
    const QByteArray& Rest() const { return rest_; }
    bool Titled(const QString& title) const { return titles_.key(title, -1) != -1; }

  private:
    void Read(const QString& line) {
        if (!line.startsWith('[')) rest_ += line.toUtf8() + '\n';
        static const QRegularExpression xdgSurface(
            R"(get_xdg_surface\(new id xdg_surface@(\d+), wl_surface@(\d+)\))");
        static const QRegularExpression toplevel(
            R"(xdg_surface@(\d+)\.get_toplevel\(new id xdg_toplevel@(\d+)\))");
        static const QRegularExpression title(R"re(xdg_toplevel@(\d+)\.set_title\("(.*)"\))re");
        static const QRegularExpression enter(R"(wl_keyboard@\d+\.enter\(\d+, wl_surface@(\d+))");
        static const QRegularExpression leave(R"(wl_keyboard@\d+\.leave\()");
        QRegularExpressionMatch match;
        const auto id = [&match](int n) { return match.captured(n).toInt(); };
        if ((match = xdgSurface.match(line)).hasMatch()) {
            surfaceOfXdg_[id(1)] = id(2);
        } else if ((match = toplevel.match(line)).hasMatch()) {
            surfaceOfToplevel_[id(2)] = surfaceOfXdg_.value(id(1));
        } else if ((match = title.match(line)).hasMatch()) {
            titles_[surfaceOfToplevel_.value(id(1))] = match.captured(2);
        } else if ((match = enter.match(line)).hasMatch()) {
            keyboard_ = id(1);
        } else if (leave.match(line).hasMatch()) {
            keyboard_ = 0;
        }
    }

    QByteArray unread_;
    QByteArray rest_;
    QHash<int, int> surfaceOfXdg_;
    QHash<int, int> surfaceOfToplevel_;
    QHash<int, QString> titles_;  // by surface
    int keyboard_ = 0;
};

// The program, started in a session, until the test ends.
class Program {
  public:
    explicit Program(const QProcessEnvironment& environment, const QString& folder = {}) {
        QProcessEnvironment traced = environment;
        traced.insert("WAYLAND_DEBUG", "client");  // its requests, on standard error
#ifdef __SANITIZE_ADDRESS__
        // Mesa unloads its software driver as the program closes its display,
        // and what the driver still holds is then seen from nowhere: the leak
        // checker counts it as lost. Loaded from the start, it stays.
        traced.insert("LD_PRELOAD", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so");
        traced.insert("ASAN_OPTIONS", traced.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
#endif
        process_.setProcessEnvironment(traced);
        process_.setWorkingDirectory(folder);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start(MORVIK_PATH, {});
    }
    ~Program() {
        process_.kill();
        process_.waitForFinished();
    }

    // Whether the map view has been given its title through Wayland.
    bool MapViewOnWayland() { return Log().Titled("マップビュー"); }
    QString KeyboardOn() { return Log().KeyboardOn(); }
    bool Running() const { return process_.state() == QProcess::Running; }
    bool EndedNormally() const {
        return process_.state() == QProcess::NotRunning &&
               process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    }
    // How it ended, with what it said last that was not its Wayland log.
    std::string Ending() {
        const QList<QByteArray> lines = Log().Rest().split('\n');
        QStringList said;
        for (const QByteArray& line : lines.mid(std::max<qsizetype>(0, lines.size() - 20))) {
            said << QString::fromUtf8(line);
        }
        return QString("state %1, exit code %2; it said:\n%3")
            .arg(process_.state())
            .arg(process_.exitCode())
            .arg(said.join('\n'))
            .toStdString();
    }

  private:
    const WaylandLog& Log() {
        log_.Add(process_.readAllStandardError());
        return log_;
    }

    QProcess process_;
    WaylandLog log_;
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

void Keys(const QStringList& keys) { XdoInput(QStringList{"key", "--delay", "30"} + keys); }

// Whether the screen shows a map's land, wherever its window is: the map's
// land colours have red near 124 and more green than blue, which nothing
// else on the screen has over so many pixels.
bool MapOnScreen() {
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    int land = 0;
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x) {
            const QRgb pixel = screen.pixel(x, y);
            land += std::abs(qRed(pixel) - 124) <= 5 && qGreen(pixel) > qBlue(pixel) + 20;
        }
    }
    return land >= 500;
}

// Natively under GNOME's compositor, with keys alone: windows are placed by
// mutter, and only the keyboard's way between them is known.
TEST(NativeWayland, UnderMutterAMapIsMadeSavedAndTheProgramCloses) {
    NestedMutter mutter(false);
    ASSERT_TRUE(mutter.Ready()) << "mutter did not start";
    QElapsedTimer starting;
    starting.start();
    QTemporaryDir folder;  // where the save dialog opens
    Program program(mutter.Session(), folder.path());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return program.MapViewOnWayland() && program.KeyboardOn() == "Morvik"; }, 20000))
        << "the control window ends start-up with the keyboard";
    RecordProperty("start_to_both_windows_ms", static_cast<int>(starting.elapsed()));
    std::printf("start-up to both windows shown: %lld ms\n", starting.elapsed());

    // The keyboard is on 作成; the map view's menu saves what it shows.
    ASSERT_FALSE(MapOnScreen());
    Keys({"Return"});
    ASSERT_TRUE(QTest::qWaitFor(MapOnScreen, 10000)) << "Enter reached 作成";
    Keys({"alt+Tab"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.KeyboardOn() == "マップビュー"; }, 5000));
    Keys({"alt+s"});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QString on = program.KeyboardOn();
            return !on.isEmpty() && on != "Morvik" && on != "マップビュー";
        },
        5000))
        << "the save dialog takes the keyboard";
    const QString saved = folder.filePath("native.bmp");
    XdoInput({"type", "--delay", "30", "native.bmp"});
    Keys({"Return"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile(saved).size() > 0; }, 5000));
    QGuiApplication::primaryScreen()->grabWindow(0).save(
        QDir(MORVIK_BUILD_DIR).filePath("morvik-screenshot-mutter-native.png"));

    const std::optional<SavedBitmap> bitmap = ReadSavedBitmap(saved);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->header.biWidth, 160);
    EXPECT_EQ(bitmap->header.biHeight, 120);
    const std::set<uint8_t> indices(bitmap->pixels.begin(), bitmap->pixels.end());
    EXPECT_GT(indices.size(), 1u) << "a map, not the empty view";

    // Back to the control window, whose close ends the program.
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.KeyboardOn() == "マップビュー"; }, 5000));
    Keys({"alt+Tab"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.KeyboardOn() == "Morvik"; }, 5000));
    Keys({"alt+F4"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return program.EndedNormally(); }, 5000)) << program.Ending();
}

}  // namespace
}  // namespace morvik
