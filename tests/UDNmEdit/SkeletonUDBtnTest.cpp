#include "components/UDNmEdit/SkeletonUDBtn.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>
#include <utility>
#include <vector>

namespace morvik {
namespace {

using Btn = TSkeletonUDBtn;

class UDButton : public testing::Test {
  protected:
    UDButton() {
        button.resize(15, 20);
        button.show();
        QApplication::setActiveWindow(&button);
    }

    QPoint UpperHalf() const { return QPoint(7, 3); }
    QPoint LowerHalf() const { return QPoint(7, 16); }

    TSkeletonUDBtn button;
    QSignalSpy clicks{&button, &TSkeletonUDBtn::OnUDClick};
    QSignalSpy releases{&button, &TSkeletonUDBtn::OnUDRelease};
};

TEST(UDButtonHidden, HalvesFollowTheSizeWhileHidden) {
    TSkeletonUDBtn hidden;
    hidden.resize(15, 478);
    hidden.resize(20, 31);
    EXPECT_EQ(hidden.BtnRect(Btn::btUp), QRect(0, 0, 20, 15));
    EXPECT_EQ(hidden.BtnRect(Btn::btDown), QRect(0, 16, 20, 15));
}

TEST_F(UDButton, HalvesSplitTheHeightAndAnOddMiddleRowIsInert) {
    EXPECT_EQ(button.BtnRect(Btn::btUp), QRect(0, 0, 15, 10));
    EXPECT_EQ(button.BtnRect(Btn::btDown), QRect(0, 10, 15, 10));
    button.resize(4, 15);
    EXPECT_EQ(button.size(), QSize(15, 15)) << "never smaller than 15";
    EXPECT_EQ(button.BtnRect(Btn::btUp), QRect(0, 0, 15, 7));
    EXPECT_EQ(button.BtnRect(Btn::btDown), QRect(0, 8, 15, 7));
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(7, 7));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(7, 7));
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(UDButton, MousePressClicksAtOnceAndReleaseEndsIt) {
    QTest::mousePress(&button, Qt::LeftButton, {}, LowerHalf());
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks[0][1].value<Btn::TBtnType>(), Btn::btDown);
    EXPECT_EQ(button.HalfState(Btn::btDown), 1);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, LowerHalf());
    EXPECT_EQ(button.HalfState(Btn::btDown), 0);
    EXPECT_EQ(releases.count(), 1);

    QTest::mousePress(&button, Qt::RightButton, {}, UpperHalf());
    EXPECT_EQ(clicks.count(), 1) << "only the left button presses";
}

TEST_F(UDButton, DisabledHalvesAndButtonIgnoreTheMouse) {
    button.SetHalfEnabled(Btn::btUp, false);
    QTest::mousePress(&button, Qt::LeftButton, {}, UpperHalf());
    QTest::mouseRelease(&button, Qt::LeftButton, {}, UpperHalf());
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(button.HalfState(Btn::btUp), 0);

    button.SetEnabled(false);
    QTest::mousePress(&button, Qt::LeftButton, {}, LowerHalf());
    QTest::mouseRelease(&button, Qt::LeftButton, {}, LowerHalf());
    EXPECT_EQ(clicks.count(), 0);
    // Arrow keys forwarded by the owner still press enabled halves.
    const QKeyEvent downPress(QEvent::KeyPress, Qt::Key_Down, {});
    const QKeyEvent downRelease(QEvent::KeyRelease, Qt::Key_Down, {});
    const QKeyEvent upPress(QEvent::KeyPress, Qt::Key_Up, {});
    button.KeyDown(downPress);
    EXPECT_EQ(clicks.count(), 1);
    button.KeyUp(downRelease);
    button.KeyDown(upPress);
    EXPECT_EQ(clicks.count(), 1) << "a disabled half stays disabled for keys";
    EXPECT_TRUE(button.KeyHeld());
}

TEST_F(UDButton, DraggingOutEndsThePressButNotAKeyPress) {
    QTest::mousePress(&button, Qt::LeftButton, {}, UpperHalf());
    QTest::mouseMove(&button, LowerHalf());
    EXPECT_EQ(releases.count(), 1);
    QTest::mouseMove(&button, UpperHalf());
    EXPECT_EQ(button.HalfState(Btn::btUp), 0) << "moving back does not press again";
    QTest::mouseRelease(&button, Qt::LeftButton, {}, UpperHalf());

    QTest::keyPress(&button, Qt::Key_Up);
    QTest::mouseMove(&button, LowerHalf());
    EXPECT_EQ(button.HalfState(Btn::btUp), 1);
    QTest::keyRelease(&button, Qt::Key_Up);
    EXPECT_EQ(button.HalfState(Btn::btUp), 0);
    EXPECT_FALSE(button.KeyHeld());
}

// One timing test: a held half clicks at once, after 400 ms, then every 70 ms.
TEST_F(UDButton, HoldingTheMouseRepeats) {
    QTest::mousePress(&button, Qt::LeftButton, {}, UpperHalf());
    QTest::qWait(300);
    EXPECT_EQ(clicks.count(), 1);
    QTest::qWait(400);  // 700 ms: the 400 ms repeat and about four more
    const auto held = clicks.count();
    EXPECT_GE(held, 3);
    EXPECT_LE(held, 7);

    button.SetHalfEnabled(Btn::btUp, false);  // the owner reached its limit
    QTest::qWait(200);
    EXPECT_EQ(clicks.count(), held);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, UpperHalf());
    EXPECT_EQ(releases.count(), 1);

    // A key press is never repeated by the timer.
    QTest::keyPress(&button, Qt::Key_Down);
    QTest::qWait(500);
    QTest::keyRelease(&button, Qt::Key_Down);
    EXPECT_EQ(clicks.count(), held + 1);
}

// However the button loses the mouse, the press ends there and then: one
// release and no repeats, though the mouse button is still down.
TEST_F(UDButton, LosingTheMouseEndsThePress) {
    QWidget elsewhere;
    elsewhere.show();
    const std::vector<std::pair<const char*, std::function<void()>>> losses{
        {"disabled and enabled again",
         [&] {
             button.SetEnabled(false);
             button.SetEnabled(true);
         }},
        {"hidden and shown again",
         [&] {
             button.hide();
             button.show();
         }},
        {"another window activated", [&] { QApplication::setActiveWindow(&elsewhere); }},
        {"a modal dialog",
         [&] {
             QDialog dialog(&button);
             QTimer::singleShot(50, &dialog, &QDialog::accept);
             dialog.exec();
         }},
    };
    for (const auto& [how, lose] : losses) {
        SCOPED_TRACE(how);
        QApplication::setActiveWindow(&button);
        clicks.clear();
        releases.clear();
        QTest::mousePress(&button, Qt::LeftButton, {}, UpperHalf());
        lose();
        EXPECT_FALSE(button.HoldsMouseCapture());
        EXPECT_EQ(releases.count(), 1);
        EXPECT_EQ(button.HalfState(Btn::btUp), 0);
        QTest::qWait(450);
        EXPECT_EQ(clicks.count(), 1) << "no repeats after the loss";
        QTest::mouseRelease(&button, Qt::LeftButton, {}, UpperHalf());
        EXPECT_EQ(releases.count(), 1);
    }

    clicks.clear();
    QTest::keyPress(&button, Qt::Key_Down);
    QTest::qWait(450);
    QTest::keyRelease(&button, Qt::Key_Down);
    EXPECT_EQ(clicks.count(), 1) << "a key press is never repeated by the timer";
}

TEST_F(UDButton, TheOwnFlagIsReadWhateverTheParent) {
    QWidget parent;
    auto* child = new TSkeletonUDBtn(&parent);
    parent.setEnabled(false);
    EXPECT_TRUE(child->Enabled());
    child->SetEnabled(false);
    parent.setEnabled(true);
    EXPECT_FALSE(child->Enabled());
    EXPECT_FALSE(child->isEnabled());
}

}  // namespace
}  // namespace morvik
