#include "components/SubClass/SubClass.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace morvik {
namespace {

// A procedure in front of a window's own one that notes every message.
class Recorder : public TWindowProc {
  public:
    explicit Recorder(HWND window) : window_(window) {
        next_ = SetWindowLongA(window, GWL_WNDPROC, this);
    }
    ~Recorder() override { SetWindowLongA(window_, GWL_WNDPROC, next_); }
    LRESULT Call(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back({message, wParam, lParam});
        const LRESULT result = CallWindowProcA(next_, window, message, wParam, lParam);
        if (message == WM_GETMINMAXINFO && minimumTrack) {
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = *minimumTrack;
        }
        return result;
    }
    std::vector<UINT> Codes() const {
        std::vector<UINT> codes;
        for (const Seen& message : seen) codes.push_back(message.code);
        return codes;
    }

    struct Seen {
        UINT code;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Seen> seen;
    std::optional<POINT> minimumTrack;

  private:
    HWND window_;
    WNDPROC next_;
};

TEST(WindowMessages, RegisteredNamesPostedMessagesAndHandles) {
    const UINT recreated = RegisterWindowMessageA("WM_RECREATED");
    EXPECT_EQ(RegisterWindowMessageA("WM_RECREATED"), recreated);
    EXPECT_NE(RegisterWindowMessageA("WM_OTHER"), recreated);
    EXPECT_GE(recreated, 0xC000u) << "in the window system's range of registered messages";

    struct Counter : TWindowProc {
        LRESULT Call(HWND, UINT message, WPARAM, LPARAM) override {
            received.push_back(message);
            return 7;
        }
        std::vector<UINT> received;
    } counter;
    const HWND window = CreateWindowHandle(&counter);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(SendMessageA(window, 0x400, 0, 0), 7);
    EXPECT_TRUE(PostMessageA(window, recreated, 0, 0));
    EXPECT_EQ(counter.received.size(), 1u) << "a posted message waits for the event loop";
    QApplication::processEvents();
    EXPECT_EQ(counter.received, (std::vector<UINT>{0x400, recreated}));

    PostMessageA(window, recreated, 0, 0);
    DestroyWindowHandle(window);
    QApplication::processEvents();
    EXPECT_EQ(counter.received.size(), 2u) << "nothing arrives for a destroyed window";
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(PostMessageA(window, recreated, 0, 0));
    EXPECT_EQ(SetWindowLongA(window, GWL_WNDPROC, &counter), nullptr);
}

TEST(HookableForm, QtEventsBecomeMessagesAndTrackSizesBecomeLimits) {
    THookableForm form;
    form.resize(300, 200);
    Recorder recorder(form.Handle());
    recorder.minimumTrack = POINT{250, 150};
    form.show();
    const QSize frame = form.frameGeometry().size() - form.size();
    EXPECT_EQ(form.minimumSize(), QSize(250, 150) - frame) << "track sizes are outer sizes";
    const std::vector<UINT> codes = recorder.Codes();
    const auto asked = std::find(codes.begin(), codes.end(), WM_GETMINMAXINFO);
    EXPECT_LT(asked, std::find(codes.begin(), codes.end(), WM_SHOWWINDOW))
        << "asked before showing";

    recorder.seen.clear();
    form.resize(320, 210);
    ASSERT_EQ(recorder.Codes(), std::vector<UINT>{WM_SIZE});
    EXPECT_EQ(recorder.seen[0].wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(recorder.seen[0].lParam, MakeLParam(320, 210));
    recorder.seen.clear();
    form.move(40, 30);
    EXPECT_EQ(recorder.Codes(), std::vector<UINT>{WM_MOVE});
    recorder.seen.clear();
    form.SetBounds(form.BoundsRect());
    const std::vector<UINT> unchanged = recorder.Codes();
    EXPECT_TRUE(std::all_of(unchanged.begin(), unchanged.end(), [](UINT code) {
        return code == WM_GETMINMAXINFO;
    })) << "unchanged bounds: only the limits are asked, nothing moves";

    recorder.minimumTrack.reset();
    form.UpdateTrackSizes();
    EXPECT_EQ(form.minimumSize(), QSize(0, 0)) << "the form's own limits come back";
    recorder.seen.clear();
    form.hide();
    ASSERT_EQ(recorder.Codes(), std::vector<UINT>{WM_SHOWWINDOW});
    EXPECT_EQ(recorder.seen[0].wParam, 0u);
}

// Exposes the protected parts and notes what reaches the hook.
class Hook : public TCustomSubClass {
  public:
    using TCustomSubClass::SetForm;
    using TCustomSubClass::TCustomSubClass;

    std::vector<UINT> seen;
    int recreations = 0;

  protected:
    void HookedWndProc(TMessage& message) override {
        seen.push_back(message.Msg);
        TCustomSubClass::HookedWndProc(message);
    }
    void WindowRecreated() override {
        ++recreations;
        TCustomSubClass::WindowRecreated();
    }
};

class SubClassing : public testing::Test {
  protected:
    SubClassing() {
        form->resize(200, 100);
        form->show();
    }
    bool Saw(UINT code) const { return std::count(hook.seen.begin(), hook.seen.end(), code) > 0; }

    std::unique_ptr<THookableForm> form = std::make_unique<THookableForm>();
    Hook hook{nullptr};
};

TEST_F(SubClassing, HooksPassEverythingOnAndUnhookOnRequest) {
    hook.SetForm(form.get());
    EXPECT_EQ(hook.FormHandle(), form->Handle());
    EXPECT_NE(hook.OldWndProc(), nullptr);
    form->resize(220, 110);
    EXPECT_TRUE(Saw(WM_SIZE));
    EXPECT_EQ(form->size(), QSize(220, 110)) << "the form's own procedure handled it";

    hook.SetForm(nullptr);
    hook.seen.clear();
    form->resize(230, 120);
    EXPECT_TRUE(hook.seen.empty());
    EXPECT_EQ(hook.FormHandle(), 0u);
}

TEST_F(SubClassing, ARecreatedWindowIsHookedOnceThePostedMessageArrives) {
    hook.SetForm(form.get());
    const HWND first = hook.FormHandle();
    form->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    EXPECT_TRUE(Saw(WM_DESTROY));
    EXPECT_FALSE(IsWindow(first));
    form->show();
    const HWND second = form->Handle();
    EXPECT_NE(second, first);
    hook.seen.clear();
    form->resize(240, 130);
    EXPECT_TRUE(hook.seen.empty()) << "before the posted message, the new window is not seen";

    QApplication::processEvents();
    EXPECT_EQ(hook.recreations, 1);
    EXPECT_EQ(hook.FormHandle(), second);
    form->resize(250, 140);
    EXPECT_TRUE(Saw(WM_SIZE));
}

TEST_F(SubClassing, AFreedFormLeavesTheComponentHarmless) {
    hook.SetForm(form.get());
    form.reset();
    EXPECT_TRUE(Saw(WM_DESTROY)) << "the form's end is still passed on";
    EXPECT_EQ(hook.Form(), nullptr);
    QApplication::processEvents();
    EXPECT_EQ(hook.recreations, 1);
    EXPECT_EQ(hook.FormHandle(), 0u) << "nothing is hooked afterwards";
}

TEST_F(SubClassing, DestroyingTheComponentPutsTheOldProcedureBack) {
    Recorder below(form->Handle());
    auto doomed = std::make_unique<Hook>(nullptr);
    doomed->SetForm(form.get());
    doomed.reset();
    below.seen.clear();
    form->resize(240, 140);
    EXPECT_EQ(below.Codes(), std::vector<UINT>{WM_SIZE});
    EXPECT_EQ(SetWindowLongA(form->Handle(), GWL_WNDPROC, &below), &below)
        << "the procedure below is current again";
}

TEST_F(SubClassing, DestroyingTheComponentDropsItsQueuedRehook) {
    auto doomed = std::make_unique<Hook>(nullptr);
    doomed->SetForm(form.get());
    form->setWindowFlags(Qt::Window);  // a WM_RECREATED is queued
    form->show();
    Recorder recorder(form->Handle());
    doomed.reset();
    QApplication::processEvents();  // and never arrives
    recorder.seen.clear();
    form->resize(260, 150);
    EXPECT_EQ(recorder.Codes(), std::vector<UINT>{WM_SIZE});
}

TEST_F(SubClassing, MinimiseAndRestoreAreSizesNotShows) {
    Recorder recorder(form->Handle());
    const auto sizesOf = [&](WPARAM type) {
        return std::count_if(recorder.seen.begin(), recorder.seen.end(), [&](const auto& seen) {
            return seen.code == WM_SIZE && seen.wParam == type;
        });
    };
    form->showMinimized();
    EXPECT_GT(sizesOf(SIZE_MINIMIZED), 0);
    form->showNormal();
    EXPECT_GT(sizesOf(SIZE_RESTORED), 0);
    form->showMaximized();
    EXPECT_GT(sizesOf(SIZE_MAXIMIZED), 0);
    const std::vector<UINT> codes = recorder.Codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), WM_SHOWWINDOW), 0);
    form->showNormal();

    recorder.seen.clear();
    form->hide();
    form->show();
    EXPECT_EQ(recorder.Codes(), (std::vector<UINT>{WM_SHOWWINDOW, WM_GETMINMAXINFO, WM_SHOWWINDOW}))
        << "the program's own hide and show still are";
}

// Freed lower one first, the upper one puts back the lower one's entry
// point; a message through it must still reach the form.
TEST_F(SubClassing, AnEntryPointOutlivesItsComponent) {
    Recorder below(form->Handle());
    auto lower = std::make_unique<Hook>(nullptr);
    auto upper = std::make_unique<Hook>(nullptr);
    lower->SetForm(form.get());
    upper->SetForm(form.get());
    lower.reset();
    upper.reset();
    below.seen.clear();
    form->resize(240, 140);
    EXPECT_EQ(below.Codes(), std::vector<UINT>{WM_SIZE});
    EXPECT_EQ(form->size(), QSize(240, 140));
}

}  // namespace
}  // namespace morvik
