#include "components/ZCMinMax/ZMinMax.h"
#include "platform/SystemMetrics.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <memory>
#include <string>

namespace morvik {
namespace {

using C = TFrameCursor;

TEST(KeepOnScreen, PullsTheBoundsInsideTheScreen) {
    const QSize screen(1024, 768);
    EXPECT_EQ(KeepOnScreenBounds(QRect(900, 100, 300, 200), screen), QRect(724, 100, 300, 200));
    EXPECT_EQ(KeepOnScreenBounds(QRect(-50, -20, 300, 200), screen), QRect(0, 0, 300, 200));
    EXPECT_EQ(KeepOnScreenBounds(QRect(100, 700, 300, 200), screen), QRect(100, 568, 300, 200));
    EXPECT_EQ(KeepOnScreenBounds(QRect(-10, 5, 1500, 900), screen), QRect(0, 0, 1024, 768))
        << "larger than the screen: the screen's size at 0";
    EXPECT_EQ(KeepOnScreenBounds(QRect(10, 20, 300, 200), screen), QRect(10, 20, 300, 200));
}

TEST(FitSize, KeepsEachAxisInItsRangeAndTheMinimumWins) {
    EXPECT_EQ(FitSize(QSize(100, 900), QSize(160, 120), QSize(1280, 800)), QSize(160, 800));
    EXPECT_EQ(FitSize(QSize(500, 50), QSize(600, 100), QSize(400, 200)), QSize(600, 100));
}

TEST(FrameCursor, AutomaticModeTakesAFixedAxisAway) {
    C cursor;
    for (LRESULT code = HTLEFT; code <= HTBOTTOMRIGHT; ++code) {
        EXPECT_EQ(MapHitTest(code, cursor, false, false), code);
        EXPECT_EQ(MapHitTest(code, cursor, true, true), HTNOWHERE);
    }
    EXPECT_EQ(MapHitTest(HTTOPRIGHT, cursor, true, false), HTTOP);
    EXPECT_EQ(MapHitTest(HTBOTTOMLEFT, cursor, true, false), HTBOTTOM);
    EXPECT_EQ(MapHitTest(HTLEFT, cursor, true, false), HTNOWHERE);
    EXPECT_EQ(MapHitTest(HTTOPRIGHT, cursor, false, true), HTRIGHT);
    EXPECT_EQ(MapHitTest(HTBOTTOMLEFT, cursor, false, true), HTLEFT);
    EXPECT_EQ(MapHitTest(HTBOTTOM, cursor, false, true), HTNOWHERE);
    for (const LRESULT other : {HTNOWHERE, HTCLIENT, HTCAPTION, LRESULT{9}, LRESULT{18}}) {
        EXPECT_EQ(MapHitTest(other, cursor, true, true), other) << "not a sizing border";
    }
}

TEST(FrameCursor, ZonesAndModes) {
    C cursor;
    cursor.SetCursorMode(C::cmSemiAuto);
    cursor.SetfpLEFT(C::cRIGHT);
    cursor.SetfpTOP(C::cAutomatic);
    EXPECT_EQ(MapHitTest(HTLEFT, cursor, false, false), HTRIGHT);
    EXPECT_EQ(MapHitTest(HTTOP, cursor, false, true), HTNOWHERE)
        << "automatic zones follow the axes";
    cursor.SetfpBOTTOM(C::THTCursor(12));
    EXPECT_EQ(MapHitTest(HTBOTTOM, cursor, false, false), HTNOWHERE) << "beyond the table";
    cursor.SetfpRIGHT(C::cNOWHERE);
    EXPECT_EQ(MapHitTest(HTRIGHT, cursor, false, false), HTNOWHERE);

    cursor.SetCursorMode(C::cmManual);
    EXPECT_EQ(cursor.fpTOP(), C::cTOP) << "manual gives automatic zones their defaults";
    cursor.SetCursorMode(C::cmAutomatic);
    EXPECT_EQ(cursor.fpTOP(), C::cTOP) << "and does not take them back";
    cursor.SetCursorMode(C::cmManual);
    cursor.SetfpTOPLEFT(C::cAutomatic);
    EXPECT_EQ(cursor.CursorMode(), C::cmSemiAuto);

    C manual;
    manual.SetCursorMode(C::cmManual);
    C source;
    source.SetfpLEFT(C::cAutomatic);
    source.SetfpRIGHT(C::cLEFT);
    manual.Assign(source);
    EXPECT_EQ(manual.CursorMode(), C::cmManual) << "Assign copies zones, not the mode";
    EXPECT_EQ(manual.fpRIGHT(), C::cLEFT);
    EXPECT_EQ(MapHitTest(HTLEFT, manual, true, true), HTLEFT)
        << "an automatic zone in manual mode reports its own code";
    EXPECT_EQ(MapHitTest(HTRIGHT, manual, false, false), HTLEFT);
}

// A form of 400 x 300 on the offscreen screen (800 x 600), with a limiter
// attached as a description would attach it.
class Limiter : public testing::Test {
  protected:
    Limiter() {
        form->resize(400, 300);
        form->move(50, 40);
        form->show();
        limiter = new TZMinMax(form.get());
    }
    // The message of the Error that the call throws; empty when none.
    template <typename Error>
    static std::string ErrorOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const Error& error) {
            return error.what();
        }
        return {};
    }
    QSize Screen() const { return QGuiApplication::primaryScreen()->geometry().size(); }

    std::unique_ptr<THookableForm> form = std::make_unique<THookableForm>();
    TZMinMax* limiter;
};

TEST_F(Limiter, StartsFromTheFormAndTheScreen) {
    EXPECT_TRUE(limiter->Enabled());
    EXPECT_TRUE(limiter->LockUp());
    EXPECT_FALSE(limiter->SizeFreeze());
    EXPECT_TRUE(limiter->AutoResize());
    EXPECT_EQ(limiter->MaxSizeMode(), TZMinMax::msmScreenAll);
    EXPECT_EQ(limiter->MinSizeX(), form->BoundsRect().width() / 2);
    EXPECT_EQ(limiter->MinSizeY(), form->BoundsRect().height() / 2);
    EXPECT_EQ(limiter->MaxSizeX(), Screen().width());
    EXPECT_EQ(limiter->Cursor()->CursorMode(), C::cmAutomatic);
    EXPECT_EQ(limiter->Form(), nullptr) << "detached until loaded";
}

TEST_F(Limiter, SettersCheckClampAndFit) {
    limiter->SetAutoResize(false);
    limiter->SetMaxSizeMode(TZMinMax::msmValue);
    limiter->SetMinSizeX(-5);
    EXPECT_EQ(limiter->MinSizeX(), 0);
    limiter->SetMaxSizeX(5000);
    EXPECT_EQ(limiter->MaxSizeX(), Screen().width());

    const int minY = limiter->MinSizeY();
    EXPECT_EQ(ErrorOf<EFormMinMaxError>([&] { limiter->SetMinSizeY(limiter->MaxSizeY() + 1); }),
              "MaxSizeYより大きい値は指定できません。");
    EXPECT_EQ(limiter->MinSizeY(), minY);
    limiter->SetMinSizeX(100);
    EXPECT_EQ(ErrorOf<EFormMinMaxError>([&] { limiter->SetMaxSizeX(99); }),
              "MinSizeXより小さい値は指定できません。");

    limiter->SetMaxSizeX(100);
    EXPECT_TRUE(limiter->FixedWidth()) << "a minimum equal to the maximum fixes the axis";
    EXPECT_FALSE(limiter->FixedHeight());
    EXPECT_EQ(form->ClientSize(), QSize(400, 300)) << "AutoResize off: the form stays";

    limiter->SetMaxSizeMode(TZMinMax::msmScreenAll);
    EXPECT_EQ(limiter->MaxSizeX(), Screen().width()) << "the screen mode reads the screen";
    limiter->SetMaxSizeMode(TZMinMax::msmValue);
    EXPECT_EQ(limiter->MaxSizeX(), 100) << "and the written value counts again";

    limiter->SetAutoResize(true);
    limiter->SetMaxSizeY(250);
    EXPECT_EQ(form->ClientSize(), QSize(100, 250)) << "each write fits the client area";
}

// A write of the value already stored still checks, fixes and fits.
TEST_F(Limiter, SizeSettersRunEvenForTheStoredValue) {
    limiter->SetAutoResize(false);
    limiter->SetMaxSizeMode(TZMinMax::msmValue);
    limiter->SetMaxSizeX(500);
    limiter->SetMaxSizeMode(TZMinMax::msmScreenAll);
    limiter->SetMinSizeX(600);  // below the screen, which is the maximum now
    limiter->SetMaxSizeMode(TZMinMax::msmValue);
    EXPECT_EQ(ErrorOf<EFormMinMaxError>([&] { limiter->SetMaxSizeX(500); }),
              "MinSizeXより小さい値は指定できません。");

    limiter->SetMinSizeX(100);
    limiter->SetMaxSizeX(100);
    ASSERT_TRUE(limiter->FixedWidth());
    limiter->SetMaxSizeMode(TZMinMax::msmScreenAll);
    limiter->SetMaxSizeX(100);
    EXPECT_FALSE(limiter->FixedWidth()) << "the screen is the maximum now";

    limiter->SetAutoResize(true);
    limiter->SetMinSizeY(limiter->MinSizeY());
    EXPECT_EQ(form->ClientSize().width(), 400) << "fitted between 100 and the screen";
    form->resize(50, 300);
    limiter->SetMinSizeX(100);
    EXPECT_EQ(form->ClientSize().width(), 100) << "the same minimum fits the form again";
}

TEST_F(Limiter, MinMaxInfoInEveryMode) {
    limiter->SetAutoResize(false);
    limiter->SetMaxSizeMode(TZMinMax::msmValue);
    limiter->SetMinSizeX(150);
    limiter->SetMinSizeY(100);
    limiter->SetMaxSizeX(500);
    limiter->SetMaxSizeY(400);
    const QSize nonClient = form->BoundsRect().size() - form->ClientSize();
    const auto info = [&](TZMinMax::TMaxSizeMode mode, bool client) {
        limiter->SetMaxSizeMode(mode);
        limiter->SetValueIsClient(client);
        MINMAXINFO filled{};
        limiter->FillMinMaxInfo(filled);
        return filled;
    };
    const MINMAXINFO whole = info(TZMinMax::msmValue, false);
    EXPECT_EQ(whole.ptMinTrackSize, (POINT{150, 100}));
    EXPECT_EQ(whole.ptMaxTrackSize, (POINT{500, 400}));
    const MINMAXINFO client = info(TZMinMax::msmValue, true);
    EXPECT_EQ(client.ptMinTrackSize, (POINT{150 + nonClient.width(), 100 + nonClient.height()}));
    EXPECT_EQ(client.ptMaxTrackSize, (POINT{500 + nonClient.width(), 400 + nonClient.height()}));
    EXPECT_EQ(info(TZMinMax::msmScreenWidth, true).ptMaxTrackSize,
              (POINT{Screen().width(), 400 + nonClient.height()}));
    EXPECT_EQ(info(TZMinMax::msmScreenHeight, false).ptMaxTrackSize,
              (POINT{500, Screen().height()}));
    const MINMAXINFO all = info(TZMinMax::msmScreenAll, true);
    EXPECT_EQ(all.ptMaxTrackSize, (POINT{Screen().width(), Screen().height()}));
    EXPECT_EQ(all.ptMaxPosition.x, -GetSystemMetrics(SM_CXFRAME, form.get()));
}

TEST_F(Limiter, OnlyOneOnAFormAndOnlyOnAForm) {
    const std::string notOnAForm =
        "もしかして、フォーム以外のコンテナに置こうとしてませんかぁ？\r\n"
        "それって僕が考えてる用途とちょっと違うんでダメなんですょ。";
    const std::string second =
        "　あれれ。たぶん、間違って置いちゃったんですよね。\r\n"
        "同じ系統のものは二つも置けない設計してるんですぅ～。";
    QObject notAForm;
    EXPECT_EQ(ErrorOf<ECreatingError>([&] { TZMinMax limiter(&notAForm); }), notOnAForm);
    EXPECT_EQ(ErrorOf<ECreatingError>([] { TZMinMax limiter(nullptr); }), notOnAForm);
    EXPECT_EQ(ErrorOf<ECreatingError>([&] { new TZMinMax(form.get()); }), second);
    EXPECT_EQ(ErrorOf<ECreatingError>([&] { new TBaseFormLocker(form.get()); }), second)
        << "nor a locker of a class it derives from";
    EXPECT_EQ(form->findChildren<TBaseFormLocker*>().size(), 1);

    limiter->Loaded();
    EXPECT_EQ(limiter->Form(), form.get()) << "the first keeps working";
}

TEST_F(Limiter, EnabledItLimitsAndKeepsTheFormOnTheScreen) {
    limiter->SetMaxSizeMode(TZMinMax::msmValue);
    limiter->SetMinSizeX(200);
    limiter->SetMinSizeY(150);
    limiter->SetMaxSizeX(500);
    limiter->SetMaxSizeY(350);
    limiter->Loaded();
    const QSize nonClient = form->size() - form->ClientSize();
    EXPECT_EQ(form->minimumSize(), QSize(200, 150) + nonClient);
    EXPECT_EQ(form->maximumSize(), QSize(500, 350) + nonClient);

    form->resize(50, 40);
    EXPECT_EQ(form->ClientSize(), QSize(200, 150)) << "the limits are Qt's own";

    form->move(Screen().width() - 100, -30);
    EXPECT_EQ(form->BoundsRect().right(), Screen().width() - 1);
    EXPECT_EQ(form->BoundsRect().top(), 0);
}

TEST_F(Limiter, HitTestsAreMappedAboveTheFormsOwnAnswer) {
    // Below the hook: the border code the form's own procedure would give
    // for a point on its top-right corner.
    struct Frame : TWindowProc {
        LRESULT Call(HWND, UINT message, WPARAM, LPARAM) override {
            return message == WM_NCHITTEST ? HTTOPRIGHT : LRESULT{0};
        }
    } frame;
    const WNDPROC own = SetWindowLongA(form->Handle(), GWL_WNDPROC, &frame);
    limiter->Loaded();
    EXPECT_EQ(form->Perform(WM_NCHITTEST), HTTOPRIGHT);
    TFrameCursor semi;
    semi.SetfpTOPRIGHT(C::cLEFT);
    limiter->SetCursor(&semi);
    limiter->Cursor()->SetCursorMode(C::cmSemiAuto);
    EXPECT_EQ(form->Perform(WM_NCHITTEST), HTLEFT);
    limiter->SetSizeFreeze(true);
    EXPECT_EQ(form->Perform(WM_NCHITTEST), HTNOWHERE);
    limiter->SetEnabled(false);
    EXPECT_EQ(form->Perform(WM_NCHITTEST), HTTOPRIGHT) << "disabled, every result passes";
    delete limiter;
    SetWindowLongA(form->Handle(), GWL_WNDPROC, own);
}

TEST_F(Limiter, DisabledEveryMessagePassesUnchanged) {
    limiter->SetEnabled(false);
    limiter->SetLockUp(true);
    limiter->Loaded();
    form->hide();
    form->show();
    // A plain form has no limits of its own.
    EXPECT_EQ(form->minimumSize(), QSize(0, 0)) << "no limits are reported";
    form->move(-60, -40);
    EXPECT_EQ(form->BoundsRect().topLeft(), QPoint(-60, -40)) << "no LockUp";
    form->resize(50, 40);
    EXPECT_EQ(form->size(), QSize(50, 40));
    MINMAXINFO info{};
    form->Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    const QSize outer = form->frameGeometry().size() - form->size();
    EXPECT_EQ(info.ptMinTrackSize, (POINT{outer.width(), outer.height()}));
}

// The limits a limiter gives the form end when it stops answering.
TEST_F(Limiter, ItsLimitsEndWithIt) {
    limiter->SetMaxSizeMode(TZMinMax::msmValue);
    limiter->SetMinSizeX(200);
    limiter->SetMinSizeY(150);
    limiter->SetMaxSizeX(500);
    limiter->Loaded();
    limiter->SetEnabled(false);
    form->resize(50, 40);
    EXPECT_EQ(form->size(), QSize(50, 40)) << "disabled, it limits nothing";

    limiter->SetEnabled(true);
    EXPECT_EQ(form->ClientSize(), QSize(200, 150)) << "enabled again, it limits at once";
    limiter->SetMaxSizeMode(TZMinMax::msmScreenAll);
    const int frameWidth = form->BoundsRect().width() - form->width();
    EXPECT_EQ(form->maximumSize().width(), Screen().width() - frameWidth)
        << "the mode changes the answer";

    delete limiter;
    form->resize(50, 40);
    EXPECT_EQ(form->size(), QSize(50, 40)) << "gone, it limits nothing";
}

TEST_F(Limiter, AFrozenFormKeepsItsSizeUntilTheProgramSetsIt) {
    limiter->SetMaxSizeMode(TZMinMax::msmValue);
    limiter->Loaded();
    limiter->SetSizeFreeze(true);
    const QSize frozen = form->size();
    form->resize(frozen + QSize(60, 30));
    EXPECT_EQ(form->size(), frozen) << "the form's limits hold it, as the window manager's do";

    limiter->SetMinSizeX(frozen.width() + 40);
    EXPECT_EQ(form->ClientSize().width(), frozen.width() + 40)
        << "the program's own fit goes through";
    form->resize(frozen);
    EXPECT_EQ(form->ClientSize().width(), frozen.width() + 40) << "and the new size is held";

    limiter->SetSizeFreeze(false);
    limiter->SetMinSizeX(0);
    form->resize(frozen);
    EXPECT_EQ(form->size(), frozen) << "thawed, it sizes again";
}

// Not a fit on showing (AutoResize is off): the restore's own WM_SIZE.
TEST_F(Limiter, ARestoreKeepsTheFormOnTheScreen) {
    limiter->SetAutoResize(false);
    limiter->SetLockUp(false);
    limiter->Loaded();
    form->move(-60, -40);
    form->showMinimized();
    limiter->SetLockUp(true);
    form->showNormal();
    EXPECT_EQ(form->BoundsRect().topLeft(), QPoint(0, 0));
}

// A limiter's kin is a class derived from it, checked by its own class.
class TDerivedLimiter : public TZMinMax {
    Q_OBJECT

  public:
    explicit TDerivedLimiter(QObject* owner) : TZMinMax(owner, staticMetaObject) {}
};

TEST_F(Limiter, ADerivedLimiterIsCheckedByItsOwnClass) {
    EXPECT_NO_THROW(new TDerivedLimiter(form.get())) << "a plain limiter is not of its class";
    EXPECT_THROW(new TDerivedLimiter(form.get()), ECreatingError);
    THookableForm other;
    new TDerivedLimiter(&other);
    EXPECT_THROW(new TZMinMax(&other), ECreatingError) << "a derived one is a limiter's kin";
}

}  // namespace
}  // namespace morvik

#include "ZMinMaxTest.moc"
