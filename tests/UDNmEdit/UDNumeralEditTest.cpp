#include "components/UDNmEdit/UDNumeralEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ApplicationErrors.h"
#include "platform/RaisingEvents.h"
#include "ui_NumeralWindow.h"

namespace morvik {
namespace {

using Btn = TSkeletonUDBtn;

// A window with width and height inputs like the control window's.
class NumeralEdit : public testing::Test {
  protected:
    NumeralEdit() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        // As a window description applies them.
        edit->setProperty("Max", 1280);
        edit->setProperty("Min", 160);
        edit->setProperty("NValue", 160);
        edit->setFixedSize(64, 24);
        window.show();
        QApplication::setActiveWindow(&window);
        edit->setFocus();
    }

    void Type(const QString& keys) { QTest::keyClicks(edit, keys); }
    void Enter() { QTest::keyClick(edit, Qt::Key_Return); }
    void Retype(const QString& keys) {
        edit->selectAll();
        Type(keys);
        Enter();
    }
    void Step(Btn::TBtnType btn) {
        const QPoint at = edit->UDBtn()->BtnRect(btn).center();
        QTest::mouseClick(edit->UDBtn(), Qt::LeftButton, {}, at);
    }

    QWidget window;
    TUDNumeralEdit* edit = new TUDNumeralEdit;
    TUDNumeralEdit* other = new TUDNumeralEdit;
};

TEST_F(NumeralEdit, TypedValuesAreClampedAtEnter) {
    EXPECT_EQ(edit->text(), "160");
    Retype("5000");
    EXPECT_EQ(edit->text(), "1280");
    EXPECT_EQ(edit->NValue(), 1280);
    Retype("50");
    EXPECT_EQ(edit->NValue(), 160);
    Retype("700");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    Enter();
    EXPECT_EQ(edit->text(), "700") << "an empty text keeps the value";
    Retype("-");
    EXPECT_EQ(edit->NValue(), 160);
    Retype("99999999999");
    EXPECT_EQ(edit->NValue(), 1280);
}

TEST_F(NumeralEdit, EveryDecisionIsAnnouncedEvenWithoutChange) {
    Retype("500");
    QSignalSpy decisions(edit, &TUDNumeralEdit::OnDecision);
    QSignalSpy changes(edit, &QLineEdit::textChanged);
    Retype("500");
    EXPECT_EQ(decisions.count(), 1);
    EXPECT_EQ(changes.count(), 3) << "the typing only";
    EXPECT_EQ(edit->selectedText(), "500");
    EXPECT_FALSE(edit->isModified());
}

TEST_F(NumeralEdit, ReadingNeverLooksAtUndecidedText) {
    edit->selectAll();
    Type("900");
    EXPECT_EQ(edit->NValue(), 160);
    edit->SetNValue(300);  // as the map view does when resized
    EXPECT_EQ(edit->NValue(), 900) << "the typed number wins";
    edit->selectAll();
    Type("1000");
    other->setFocus();
    EXPECT_EQ(edit->NValue(), 1000) << "leaving the control decides";
}

TEST_F(NumeralEdit, LimitsMoveTheValueAndTheHalves) {
    edit->SetMax(1024);
    EXPECT_EQ(edit->NValue(), 160);
    EXPECT_TRUE(edit->UDBtn()->HalfEnabled(Btn::btUp));
    EXPECT_FALSE(edit->UDBtn()->HalfEnabled(Btn::btDown));
    edit->SetNValue(1024);
    EXPECT_FALSE(edit->UDBtn()->HalfEnabled(Btn::btUp));
    EXPECT_TRUE(edit->UDBtn()->HalfEnabled(Btn::btDown));

    edit->SetNValue(2000);
    EXPECT_EQ(edit->NValue(), 1024);
    edit->SetWrap(true);
    edit->SetNValue(2000);
    EXPECT_EQ(edit->NValue(), 160);

    edit->SetWrap(false);
    edit->SetMin(5000);
    EXPECT_EQ(edit->Min(), 1024);
    EXPECT_EQ(edit->NValue(), 1024);
    EXPECT_FALSE(edit->UDBtn()->HalfEnabled(Btn::btUp));
    EXPECT_FALSE(edit->UDBtn()->HalfEnabled(Btn::btDown));
}

TEST_F(NumeralEdit, ButtonStepsClampOrWrap) {
    Step(Btn::btUp);
    EXPECT_EQ(edit->NValue(), 161);
    Step(Btn::btDown);
    Step(Btn::btDown);
    EXPECT_EQ(edit->NValue(), 160) << "the lower half is disabled at Min";

    edit->SetWrap(true);
    Step(Btn::btDown);
    EXPECT_EQ(edit->NValue(), 1280);
    Step(Btn::btUp);
    EXPECT_EQ(edit->NValue(), 160);
    EXPECT_TRUE(edit->UDBtn()->HalfEnabled(Btn::btUp));
    EXPECT_TRUE(edit->UDBtn()->HalfEnabled(Btn::btDown));

    edit->SetWrap(false);
    edit->SetMin(0);
    edit->SetMax(10);
    edit->SetIncrement(25);
    edit->SetNValue(5);
    Step(Btn::btUp);
    EXPECT_EQ(edit->NValue(), 10);
}

TEST_F(NumeralEdit, StepsNearTheEndOfThirtyTwoBitsLandOnTheLimit) {
    edit->SetMax(INT32_MAX);
    edit->SetMin(INT32_MIN);
    edit->SetIncrement(10);
    edit->SetNValue(INT32_MAX - 3);
    Step(Btn::btUp);
    EXPECT_EQ(edit->NValue(), INT32_MAX);
    edit->SetNValue(INT32_MIN + 3);
    Step(Btn::btDown);
    EXPECT_EQ(edit->NValue(), INT32_MIN);
    edit->SetWrap(true);
    edit->SetNValue(INT32_MAX - 3);
    Step(Btn::btUp);
    EXPECT_EQ(edit->NValue(), INT32_MIN);
}

TEST_F(NumeralEdit, OnePressDecidesTheTypedTextThenSteps) {
    std::vector<std::string> events;
    const QObject listener;  // ends the connections before the events go
    QObject::connect(edit, &QLineEdit::textChanged, &listener, [&](const QString& text) {
        events.push_back("change " + text.toStdString());
    });
    QObject::connect(edit, &TUDNumeralEdit::OnDecision, &listener,
                     [&] { events.push_back("decision " + std::to_string(edit->NValue())); });
    QObject::connect(edit, &TUDNumeralEdit::OnBtnClick, &listener,
                     [&](TUDNumeralEdit*, Btn::TBtnType) { events.push_back("button"); });
    edit->selectAll();
    Type("0400");
    events.clear();
    Step(Btn::btUp);
    const std::vector<std::string> expected{"change 400", "decision 400", "change 401",
                                            "decision 401", "button"};
    EXPECT_EQ(events, expected);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->selectedText(), "401");
}

TEST_F(NumeralEdit, ArrowKeysStepAndStayWithTheButton) {
    QSignalSpy steps(edit, &TUDNumeralEdit::OnBtnClick);
    edit->setCursorPosition(1);
    QTest::keyPress(edit, Qt::Key_Up);
    EXPECT_EQ(edit->NValue(), 161);
    EXPECT_EQ(edit->UDBtn()->HalfState(Btn::btUp), 1);
    QTest::keyPress(edit, Qt::Key_Up, {}, -1);  // the keyboard's own repeat
    QTest::keyRelease(edit, Qt::Key_Up);
    EXPECT_EQ(edit->NValue(), 162);
    EXPECT_EQ(steps.count(), 2);
    EXPECT_EQ(edit->UDBtn()->HalfState(Btn::btUp), 0);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(edit->NValue(), 161);
}

TEST_F(NumeralEdit, KeyCheckFiltersTypingAndShortcuts) {
    QApplication::clipboard()->setText("777");
    edit->selectAll();
    Type("3x,-a5");
    EXPECT_EQ(edit->text(), "3-5");
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "3-5") << "paste shortcut dropped";

    edit->selectAll();
    edit->paste();  // as the context menu does: not filtered, read at the decision
    EXPECT_EQ(edit->text(), "777");
    Enter();
    EXPECT_EQ(edit->NValue(), 777);

    QApplication::clipboard()->setText("1,0x00");
    edit->SetKeyCheck(false);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "1,0x00");
    Type("y");
    Enter();
    EXPECT_EQ(edit->NValue(), 1000);
}

TEST_F(NumeralEdit, EnteringByKeyboardSelectsOrPutsTheCaretFirst) {
    other->setFocus();
    QTest::keyClick(other, Qt::Key_Backtab);
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->selectedText(), "160");
    edit->SetAutoSelect(false);
    other->setFocus();
    QTest::keyClick(other, Qt::Key_Backtab);
    EXPECT_EQ(edit->selectedText(), "");
    EXPECT_EQ(edit->cursorPosition(), 0);
}

TEST_F(NumeralEdit, SignKeysTurnTheShownNumber) {
    edit->SetMin(-1000);
    edit->SetSignPress(true);
    edit->SetNValue(250);
    edit->setCursorPosition(2);
    Type("-");
    EXPECT_EQ(edit->text(), "-250");
    EXPECT_EQ(edit->NValue(), 250) << "the value follows at the decision";
    Type("+");
    EXPECT_EQ(edit->text(), "250");
    Type("-");
    Enter();
    EXPECT_EQ(edit->NValue(), -250);

    // With no digits the error reaches the application's handler, and the
    // text stays as it was.
    std::vector<std::string> errors;
    std::vector<QWidget*> windows;
    const ErrorHandler previous =
        SetApplicationErrorHandler([&](const std::exception& error, QWidget* errorWindow) {
            errors.emplace_back(error.what());
            windows.push_back(errorWindow);
        });
    // The key is used up there: it does not travel on to the window.
    struct KeyCounter : QObject {
        int keys = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            keys += event->type() == QEvent::KeyPress;
            return false;
        }
    } windowKeys;
    window.installEventFilter(&windowKeys);
    edit->setText("");
    Type("-");
    SetApplicationErrorHandler(previous);
    EXPECT_EQ(errors, std::vector<std::string>{"'-' は整数ではありません"});
    EXPECT_EQ(windows, std::vector<QWidget*>{&window}) << "the edit's own window";
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(windowKeys.keys, 0);
}

TEST_F(NumeralEdit, DisplayOptionsShowAndReadTheValue) {
    edit->SetMax(100000);
    edit->SetNValue(4660);
    edit->SetEditOptions(eoHEXIndicate | eoDivide);
    EXPECT_EQ(edit->text(), "$12,34");
    Retype("ff");
    EXPECT_EQ(edit->NValue(), 255);
    EXPECT_EQ(edit->text(), "$FF");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    Enter();
    EXPECT_EQ(edit->NValue(), 100000) << "an empty hexadecimal text is Max";

    edit->SetEditOptions(eoDWDisplay | eoDivide);
    EXPECT_EQ(edit->text(), "１００，０００");
    Retype("1,2a3");
    EXPECT_EQ(edit->NValue(), 160);
    Retype("2,345");
    EXPECT_EQ(edit->NValue(), 2345);
    EXPECT_EQ(edit->text(), "２，３４５");

    edit->SetEditOptions(eoRightAlign);
    EXPECT_TRUE(edit->alignment() & Qt::AlignRight);
    EXPECT_EQ(edit->text(), "2345");
}

TEST_F(NumeralEdit, ReadOnlyKeepsOnlyTheControlsOwnChanges) {
    edit->setReadOnly(true);
    edit->setCursorPosition(3);
    Type("5");
    EXPECT_EQ(edit->text(), "160");
    QApplication::clipboard()->setText("9");
    edit->SetKeyCheck(false);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "160");
    edit->paste();
    edit->cut();
    edit->del();
    EXPECT_EQ(edit->text(), "160") << "nor by the program";
    edit->SetKeyCheck(true);
    Step(Btn::btUp);
    EXPECT_EQ(edit->NValue(), 161);
    EXPECT_EQ(edit->selectedText(), "") << "no selection after a press";

    edit->SetEditOptions(eoDWDisplay);
    edit->setCursorPosition(3);
    Type("7");
    EXPECT_EQ(edit->text(), "１６１７");
    Enter();
    EXPECT_EQ(edit->NValue(), 1280);
}

TEST_F(NumeralEdit, DisabledControlShowsButtonFace) {
    const QColor face = QApplication::palette().color(QPalette::Button);
    edit->SetColor(Qt::yellow);
    edit->setEnabled(false);
    EXPECT_EQ(edit->Color(), face);
    EXPECT_EQ(edit->SavedColor(), QColor(Qt::yellow));
    EXPECT_FALSE(edit->UDBtn()->HalfEnabled(Btn::btUp));
    EXPECT_FALSE(edit->UDBtn()->HalfEnabled(Btn::btDown));
    window.setEnabled(false);
    window.setEnabled(true);
    EXPECT_EQ(edit->Color(), face) << "still disabled itself";
    edit->setEnabled(true);
    EXPECT_EQ(edit->Color(), QColor(Qt::yellow));
    EXPECT_TRUE(edit->UDBtn()->HalfEnabled(Btn::btUp));
}

TEST_F(NumeralEdit, ButtonIsDockedInsideTheRightEdge) {
    TSkeletonUDBtn* button = edit->findChild<TSkeletonUDBtn*>("UDBtn");
    ASSERT_EQ(button, edit->UDBtn());
    EXPECT_EQ(button->width(), 15);
    EXPECT_EQ(button->geometry().right(),
              edit->width() - 1 - (edit->height() - button->height()) / 2);
    EXPECT_EQ(button->height(), edit->height() - 2 * button->y());
    edit->SetBtnWidth(20);
    EXPECT_EQ(edit->BtnWidth(), 20);
    EXPECT_EQ(button->geometry().right(), edit->width() - 1 - button->y());
    EXPECT_EQ(edit->textMargins().right(), 22);
}

TEST_F(NumeralEdit, BtnEnabledIsTheButtonsOwnFlag) {
    edit->setEnabled(false);
    EXPECT_TRUE(edit->BtnEnabled());
    edit->SetBtnEnabled(false);
    edit->setEnabled(true);
    EXPECT_FALSE(edit->BtnEnabled());
    Step(Btn::btUp);
    EXPECT_EQ(edit->NValue(), 160);
    edit->SetBtnEnabled(true);
    Step(Btn::btUp);
    EXPECT_EQ(edit->NValue(), 161);
}

TEST_F(NumeralEdit, MouseInputOnTheButtonIsTheButtonsAlone) {
    TSkeletonUDBtn* button = edit->UDBtn();
    edit->setSelection(0, 2);
    Step(Btn::btDown);  // disabled at Min
    EXPECT_EQ(edit->selectedText(), "16") << "the user's selection stays";

    // A drag out of a half over the text ends in the select-all of a press.
    edit->setCursorPosition(0);
    const QPoint overText = button->mapFrom(edit, QPoint(8, edit->height() / 2));
    QTest::mousePress(button, Qt::LeftButton, {}, button->BtnRect(Btn::btUp).center());
    QTest::mouseMove(button, overText);
    QTest::mouseRelease(button, Qt::LeftButton, {}, overText);
    EXPECT_EQ(edit->NValue(), 161);
    EXPECT_EQ(edit->selectedText(), "161");
}

TEST_F(NumeralEdit, APressMovesTheFocusOnlyWhenItEnds) {
    std::vector<std::string> decisions;
    const QObject listener;
    for (TUDNumeralEdit* control : {edit, other}) {
        QObject::connect(control, &TUDNumeralEdit::OnDecision, &listener, [&](TUDNumeralEdit* e) {
            decisions.push_back((e == edit ? "width " : "height ") + std::to_string(e->NValue()));
        });
    }
    other->setFocus();
    QTest::keyClicks(other, "300");
    decisions.clear();
    TSkeletonUDBtn* button = edit->UDBtn();
    QTest::mousePress(button, Qt::LeftButton, {}, button->BtnRect(Btn::btUp).center());
    EXPECT_TRUE(other->hasFocus());
    QTest::mouseRelease(button, Qt::LeftButton, {}, button->BtnRect(Btn::btUp).center());
    EXPECT_TRUE(edit->hasFocus());
    const std::vector<std::string> expected{"width 161", "height 300"};
    EXPECT_EQ(decisions, expected) << "this control's step comes first";

    // A press that does nothing has no effect at all.
    edit->SetNValue(160);
    other->setFocus();
    decisions.clear();
    Step(Btn::btDown);
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(edit->NValue(), 160);
    EXPECT_TRUE(decisions.empty());
}

TEST_F(NumeralEdit, SwitchingWindowsIsNotLeavingTheControl) {
    QWidget mapView;
    mapView.show();
    edit->selectAll();
    Type("900");
    QApplication::setActiveWindow(&mapView);
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->selectedText(), "") << "coming back is not entering";
    EXPECT_TRUE(edit->isModified());

    QApplication::setActiveWindow(&mapView);
    edit->SetNValue(300);  // the map view resized by hand
    EXPECT_EQ(edit->NValue(), 900) << "the typed number wins";
}

TEST_F(NumeralEdit, ComposedTextGoesThroughTheRulesOneCharacterAtATime) {
    auto commit = [&](const QString& preedit, const QString& committed) {
        QInputMethodEvent event(preedit, {});
        event.setCommitString(committed);
        QApplication::sendEvent(edit, &event);
    };
    edit->selectAll();
    commit("", "1a2");
    EXPECT_EQ(edit->text(), "12");
    EXPECT_TRUE(edit->isModified());
    commit("３", "");
    commit("", "３4");  // a full-width digit is no key the filter takes
    EXPECT_EQ(edit->text(), "124");

    QKeyEvent severalCharacters(QEvent::KeyPress, 0, {}, "7x8");
    QApplication::sendEvent(edit, &severalCharacters);
    EXPECT_EQ(edit->text(), "12478");

    edit->SetEditOptions(eoDWDisplay);
    edit->setCursorPosition(edit->text().size());
    commit("", "5");
    EXPECT_EQ(edit->text(), "１２８０５");  // 12478 decided to 1280, then 5
    edit->SetSignPress(true);
    commit("", "-");
    EXPECT_EQ(edit->text(), "－１２８０５");

    edit->SetEditOptions({});
    edit->selectAll();
    commit("", "5-");  // the 5 goes in before the sign turns it
    EXPECT_EQ(edit->text(), "-5");
}

TEST_F(NumeralEdit, OnlyALeftPressOnTheTextKeepsTheSelectionAsItIs) {
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    const QPoint onText(8, edit->height() / 2);
    other->setFocus();
    QTest::mouseClick(edit, Qt::RightButton, {}, onText);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->selectedText(), "160");
    other->setFocus();
    QTest::mouseClick(edit, Qt::LeftButton, {}, onText);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->selectedText(), "");
}

// Errors of the handlers during a button step, caught as the application's
// handler would see them.
class NumeralEditErrors : public NumeralEdit {
  protected:
    NumeralEditErrors()
        : previous_(SetApplicationErrorHandler([this](const std::exception& error, QWidget*) {
              errors.emplace_back(error.what());
          })) {}
    ~NumeralEditErrors() override { SetApplicationErrorHandler(previous_); }

    void Press(Btn::TBtnType btn) {
        QTest::mousePress(edit->UDBtn(), Qt::LeftButton, {}, edit->UDBtn()->BtnRect(btn).center());
    }
    void Release(Btn::TBtnType btn) {
        QTest::mouseRelease(edit->UDBtn(), Qt::LeftButton, {},
                            edit->UDBtn()->BtnRect(btn).center());
    }

    std::vector<std::string> errors;
    const QObject listener;

  private:
    ErrorHandler previous_;
};

TEST_F(NumeralEditErrors, AFailingBtnClickOnAPressReachesTheApplicationAndStartsNoRepeat) {
    int clicks = 0;
    ConnectRaising(edit, &TUDNumeralEdit::OnBtnClick, &listener,
                   [&](TUDNumeralEdit*, Btn::TBtnType) {
                       ++clicks;
                       throw std::runtime_error("click failed");
                   });
    Press(Btn::btUp);
    EXPECT_EQ(errors, std::vector<std::string>{"click failed"});
    EXPECT_EQ(edit->NValue(), 161) << "the step was taken before the event";
    EXPECT_EQ(edit->UDBtn()->HalfState(Btn::btUp), 1) << "the half stays pressed";
    QTest::qWait(600);  // past the first repeat's 400 ms
    EXPECT_EQ(clicks, 1);
    Release(Btn::btUp);
    EXPECT_EQ(edit->UDBtn()->HalfState(Btn::btUp), 0);
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(NumeralEditErrors, AFailingBtnClickOnARepeatReachesTheApplicationAndEndsTheRepeat) {
    int clicks = 0;
    ConnectRaising(edit, &TUDNumeralEdit::OnBtnClick, &listener,
                   [&](TUDNumeralEdit*, Btn::TBtnType) {
                       if (++clicks == 2) throw std::runtime_error("repeat failed");
                   });
    edit->SetNValue(500);  // room to step down
    Press(Btn::btDown);
    ASSERT_TRUE(QTest::qWaitFor([&] { return clicks == 2; }, 5000));
    EXPECT_EQ(errors, std::vector<std::string>{"repeat failed"});
    EXPECT_EQ(edit->NValue(), 498) << "the press and the first repeat stepped";
    QTest::qWait(300);  // four more repeats' worth
    EXPECT_EQ(clicks, 2) << "the repeat stopped with the error";
    Release(Btn::btDown);
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(NumeralEditErrors, AStepWhoseWriteFailsEndsAtItsLimitAndTheErrorGoesNoFurther) {
    bool failing = true;
    ConnectRaising(edit, &TUDNumeralEdit::OnDecision, &listener, [&](TUDNumeralEdit* sender) {
        if (failing && sender->NValue() == 161) throw std::runtime_error("decision failed");
    });
    Step(Btn::btUp);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(edit->NValue(), 1280);
    EXPECT_FALSE(edit->UDBtn()->HalfEnabled(Btn::btUp)) << "the way up is closed";

    edit->SetWrap(true);
    edit->SetNValue(160);
    Step(Btn::btUp);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(edit->NValue(), 160) << "wrapping, the step ends at the other limit";
    EXPECT_TRUE(edit->UDBtn()->HalfEnabled(Btn::btUp));

    failing = false;
    Step(Btn::btUp);
    EXPECT_EQ(edit->NValue(), 161);
}

TEST_F(NumeralEditErrors, AFailingFallbackIsPassedOnOnce) {
    ConnectRaising(edit, &TUDNumeralEdit::OnDecision, &listener, [&](TUDNumeralEdit* sender) {
        throw std::runtime_error("decided " + std::to_string(sender->NValue()));
    });
    Step(Btn::btUp);
    EXPECT_EQ(errors, std::vector<std::string>{"decided 1280"})
        << "the fallback's own, not the first";
}

// Window descriptions set the properties by name, Max before Min.
TEST(NumeralEditDescription, AppliesThePropertiesInStreamOrder) {
    QWidget window;
    Ui::NumeralWindow ui;
    ui.setupUi(&window);
    EXPECT_EQ(ui.WV->Max(), 1280);
    EXPECT_EQ(ui.WV->Min(), 160);
    EXPECT_EQ(ui.WV->NValue(), 160);
    EXPECT_EQ(ui.WV->EditOptions(), eoDivide | eoRightAlign);
    EXPECT_EQ(ui.WV->text(), "160");
    EXPECT_TRUE(ui.WV->alignment() & Qt::AlignRight);
    EXPECT_EQ(ui.WV->geometry(), QRect(56, 8, 64, 24));
}

}  // namespace
}  // namespace morvik
