// Start-up before any window: the application object made with Qt's
// messages held back, and the program without a display.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <map>
#include <string>

#include "app/Application.h"

namespace morvik {
namespace {

Environment Variables(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const char* name) -> const char* {
        const auto found = values.find(name);
        return found == values.end() ? nullptr : found->second.c_str();
    };
}

TEST(NoDisplayMessage, NamesEachPlatformTriedAndTheDisplaysLeftUnset) {
    const std::string head = "morvik: no display to open a window on (";
    EXPECT_EQ(NoDisplayMessage({{"xcb"}}, false, Variables({})),
              head + "DISPLAY is not set; WAYLAND_DISPLAY is not set)")
        << "Qt chose: the display it did not try is named too";
    EXPECT_EQ(NoDisplayMessage({{"xcb"}}, false, Variables({{"DISPLAY", ":5"}})),
              head + "X display :5 does not answer; WAYLAND_DISPLAY is not set)");
    EXPECT_EQ(NoDisplayMessage({{"wayland"}, {"xcb"}}, false,
                               Variables({{"WAYLAND_DISPLAY", "w-1"}, {"DISPLAY", ""}})),
              head + "Wayland display w-1 does not answer; DISPLAY is not set)")
        << "in the order tried; an empty variable is not set";
    EXPECT_EQ(NoDisplayMessage({{"wayland-egl"}, {"wayland"}}, true,
                               Variables({{"WAYLAND_DISPLAY", "w-1"}})),
              head + "Wayland display w-1 does not answer)")
        << "a platform the user chose is all that is named, once";
    EXPECT_EQ(NoDisplayMessage({{"bogus", false}, {"eglfs"}}, true, Variables({})),
              head + "Qt has no platform plugin \"bogus\"; the platform eglfs did not start)");
    EXPECT_EQ(NoDisplayMessage({}, true, Variables({{"DISPLAY", ":5"}})),
              head + "X display :5 does not answer; WAYLAND_DISPLAY is not set)")
        << "where Qt's messages named no platform, both displays as they stand";
}

struct Logged {
    QtMsgType type;
    QString category;
    QString text;
};
std::vector<Logged> logged;

void Log(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    logged.push_back({type, QString::fromUtf8(context.category), text});
}

TEST(MakeApplication, HoldsQtsMessagesUntilTheApplicationIsMade) {
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(Log);
    size_t loggedWhileMaking = 0;
    char program[] = "morvik";
    char* arguments[] = {program, nullptr};
    MakeApplication(1, arguments, [&] {
        qWarning("made with a warning");
        qCritical("and a critical message");
        loggedWhileMaking = logged.size();
    });
    qInfo("after");
    qInstallMessageHandler(previous);

    EXPECT_EQ(loggedWhileMaking, 0u);
    ASSERT_EQ(logged.size(), 3u) << "let out to the handler that was there before, in order";
    EXPECT_EQ(logged[0].type, QtWarningMsg);
    EXPECT_EQ(logged[0].text, "made with a warning");
    EXPECT_EQ(logged[0].category, "default");
    EXPECT_EQ(logged[1].type, QtCriticalMsg);
    EXPECT_EQ(logged[2].text, "after") << "and that handler is back";
}

// The program as a user starts it, with no platform chosen and no
// Wayland session.
class ProgramWithoutDisplay : public testing::Test {
  protected:
    ProgramWithoutDisplay() {
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        environment.remove("XDG_SESSION_TYPE");
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
    }
    // Starts it and waits for its end.
    void Run() {
        morvik.setProcessEnvironment(environment);
        morvik.start(MORVIK_PATH, {});
        ASSERT_TRUE(morvik.waitForFinished(20000)) << "it ends by itself";
        errors = QString::fromLocal8Bit(morvik.readAllStandardError());
        output = morvik.readAllStandardOutput();
    }
    void ExpectOneLineAndStatus1() const {
        EXPECT_EQ(morvik.exitStatus(), QProcess::NormalExit) << "no abort";
        EXPECT_EQ(morvik.exitCode(), 1);
        EXPECT_TRUE(errors.startsWith("morvik: no display to open a window on ("))
            << errors.toStdString();
        EXPECT_TRUE(errors.endsWith(")\n")) << errors.toStdString();
        EXPECT_EQ(errors.count('\n'), 1) << errors.toStdString();
        EXPECT_TRUE(output.isEmpty());
    }

    QTemporaryDir runtime;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QProcess morvik;
    QString errors;
    QByteArray output;
};

TEST_F(ProgramWithoutDisplay, SaysSoInOneLineAndExitsWith1) {
    Run();
    ExpectOneLineAndStatus1();
    EXPECT_TRUE(errors.contains("DISPLAY is not set; WAYLAND_DISPLAY is not set"))
        << errors.toStdString();
}

TEST_F(ProgramWithoutDisplay, NamesAnXDisplayThatDoesNotAnswer) {
    // A display number that no server here has claimed.
    int number = 917;
    while (QFile::exists(QString("/tmp/.X%1-lock").arg(number)) ||
           QFile::exists(QString("/tmp/.X11-unix/X%1").arg(number))) {
        ++number;
    }
    const QString display = QString(":%1").arg(number);
    environment.insert("DISPLAY", display);
    Run();
    ExpectOneLineAndStatus1();
    EXPECT_TRUE(errors.contains("X display " + display + " does not answer"))
        << errors.toStdString();
}

TEST_F(ProgramWithoutDisplay, RunsOnAPlatformWithoutOne) {
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    morvik.setProcessEnvironment(environment);
    morvik.start(MORVIK_PATH, {});
    ASSERT_TRUE(morvik.waitForStarted());
    EXPECT_FALSE(morvik.waitForFinished(3000)) << "it runs until it is closed";
    morvik.kill();
    morvik.waitForFinished();
}

}  // namespace
}  // namespace morvik
