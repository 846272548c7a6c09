// The limiter on a real X server under a real window manager (openbox):
// xvfb-run gives this process its display.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QProcess>
#include <QResizeEvent>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "components/ZCMinMax/ZMinMax.h"
#include "tests/support/RealX.h"

namespace morvik {
namespace {

// The maximum size that the window asks of its window manager.
QSize HintedMaximum(const QString& window) {
    const QString hints = RunX("xprop", {"-id", window, "WM_NORMAL_HINTS"});
    const QString line = hints.section("program specified maximum size:", 1).section('\n', 0, 0);
    return QSize(line.section("by", 0, 0).toInt(), line.section("by", 1, 1).toInt());
}

// A shown, framed form of 300 x 200 client pixels at (100, 100), limited to
// 200 x 150 .. 400 x 300.
class RealLimiter : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under xvfb-run";
        windowManager_ = std::make_unique<WindowManager>("openbox");
        ASSERT_TRUE(windowManager_->Ready());
        ASSERT_TRUE(Managing()) << "openbox frames new windows";
    }
    // Openbox claims the screen before it frames what maps: a probe window
    // is shown again until it has a frame.
    static bool Managing() {
        QWidget probe;
        return QTest::qWaitFor(
            [&] {
                probe.hide();
                probe.show();
                return QTest::qWaitFor(
                    [&] { return !FrameExtents(QString::number(probe.winId())).isNull(); }, 1000);
            },
            10000);
    }
    static void TearDownTestSuite() { windowManager_.reset(); }

    void SetUp() override {
        form.setWindowTitle("limited");
        form.resize(300, 200);
        form.move(100, 100);
        limiter = new TZMinMax(&form);
        limiter->SetMaxSizeMode(TZMinMax::msmValue);
        limiter->SetMinSizeX(200);
        limiter->SetMinSizeY(150);
        limiter->SetMaxSizeX(400);
        limiter->SetMaxSizeY(300);
        limiter->Loaded();
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        window = QString::number(form.winId());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !FrameExtents(window).isNull(); }, 5000))
            << "framed by the window manager";
    }

    // Asks the window manager for a size, as another client would.
    void AskForSize(QSize size) const {
        Xdo({"windowsize", window, QString::number(size.width()), QString::number(size.height())});
    }
    bool ClientSizeBecomes(QSize size) {
        return QTest::qWaitFor([&] { return form.ClientSize() == size; }, 3000);
    }

    static inline std::unique_ptr<WindowManager> windowManager_;
    THookableForm form;
    TZMinMax* limiter = nullptr;
    QString window;
};

TEST_F(RealLimiter, TheWindowManagerStopsAtTheLimitsAndTheFormComesBack) {
    AskForSize(QSize(900, 700));
    EXPECT_TRUE(ClientSizeBecomes(QSize(400, 300))) << "the window manager stops at the maximum";
    AskForSize(QSize(20, 20));
    EXPECT_TRUE(ClientSizeBecomes(QSize(200, 150))) << "and at the minimum";

    // Dragged by its title bar until it sticks out on the right, as a user
    // would (the window manager keeps a program's own moves on the screen).
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint title(form.frameGeometry().center().x(),
                       (form.frameGeometry().top() + form.geometry().top()) / 2);
    XdoInput({"mousemove", QString::number(title.x()), QString::number(title.y())});
    XdoInput({"mousedown", "1"});
    for (int x = title.x(); x <= screen.right() - 5; x += 40) {
        XdoInput({"mousemove", QString::number(x), QString::number(title.y())});
    }
    XdoInput({"mouseup", "1"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen.contains(form.frameGeometry()); }, 3000))
        << "dragged off the screen, it comes back; its left edge is at "
        << form.frameGeometry().x();
}

// At once: a resize right after the change must meet the new limit.
TEST_F(RealLimiter, ARaisedLimitReachesTheWindowManager) {
    AskForSize(QSize(900, 700));
    ASSERT_TRUE(ClientSizeBecomes(QSize(400, 300)));
    limiter->SetMaxSizeX(450);
    EXPECT_EQ(HintedMaximum(window), QSize(450, 300));
    AskForSize(QSize(900, 700));
    EXPECT_TRUE(ClientSizeBecomes(QSize(450, 300)));
}

TEST_F(RealLimiter, AFrozenFormHoldsItsSizeAgainstTheWindowManager) {
    limiter->SetSizeFreeze(true);
    AskForSize(QSize(380, 280));
    // The window manager takes requests in order: once the move is through,
    // so is the resize, had it been allowed.
    const QPoint before = form.pos();
    Xdo({"windowmove", window, "150", "120"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.pos() != before; }, 3000));
    EXPECT_EQ(form.ClientSize(), QSize(300, 200)) << "frozen, it held its size";

    limiter->SetSizeFreeze(false);
    AskForSize(QSize(350, 250));
    EXPECT_TRUE(ClientSizeBecomes(QSize(350, 250))) << "thawed, it sizes again";
}

}  // namespace
}  // namespace morvik
