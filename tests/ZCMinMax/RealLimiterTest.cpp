// The limiter on a real X server under a real window manager (openbox):
// xvfb-run gives this process its display.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include "components/ZCMinMax/ZMinMax.h"
#include "tests/support/RealX.h"

namespace morvik {
namespace {

TEST(RealLimiter, TheWindowManagerStopsAtTheLimitsAndTheFormComesBack) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under xvfb-run";
    QProcess windowManager;
    windowManager.start("openbox", {});
    ASSERT_TRUE(windowManager.waitForStarted());
    QTest::qWait(1000);

    THookableForm form;
    form.setWindowTitle("limited");
    form.resize(300, 200);
    form.move(100, 100);
    auto* limiter = new TZMinMax(&form);
    limiter->SetMaxSizeMode(TZMinMax::msmValue);
    limiter->SetMinSizeX(200);
    limiter->SetMinSizeY(150);
    limiter->SetMaxSizeX(400);
    limiter->SetMaxSizeY(300);
    limiter->Loaded();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::qWait(300);
    const QString window = QString::number(form.winId());

    Xdo({"windowsize", window, "900", "700"});
    QTest::qWait(500);
    EXPECT_EQ(form.ClientSize(), QSize(400, 300)) << "the window manager stops at the maximum";
    Xdo({"windowsize", window, "20", "20"});
    QTest::qWait(500);
    EXPECT_EQ(form.ClientSize(), QSize(200, 150)) << "and at the minimum";

    // Dragged by its title bar until it sticks out on the right, as a user
    // would (the window manager keeps a program's own moves on the screen).
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint title(form.frameGeometry().center().x(),
                       (form.frameGeometry().top() + form.geometry().top()) / 2);
    Xdo({"mousemove", QString::number(title.x()), QString::number(title.y())});
    Xdo({"mousedown", "1"});
    for (int x = title.x(); x <= screen.right() - 5; x += 40) {
        Xdo({"mousemove", QString::number(x), QString::number(title.y())});
    }
    Xdo({"mouseup", "1"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen.contains(form.frameGeometry()); }, 3000))
        << "dragged off the screen, it comes back; its left edge is at "
        << form.frameGeometry().x();

    windowManager.kill();
    windowManager.waitForFinished();
}

}  // namespace
}  // namespace morvik
