#pragma once

#include <QObject>
#include <memory>

#include "platform/HookableForm.h"
#include "platform/WindowMessages.h"

namespace morvik {

// One message as a window procedure of ours sees it; the procedure sets the
// result.
struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

// Replaces the window procedure of a form's window with its own, passes
// every message on to the procedure it replaced, and lets derived classes
// act on the message afterwards. When the form's window is destroyed and
// made anew, it hooks the new one once a "WM_RECREATED" message posted to
// its own hidden utility window comes back from the event loop.
//
// Unhooking puts the replaced procedure back whether or not the component's
// own is still current, so a component hooked later can be left holding
// this one's entry point. The entry point therefore outlives the component,
// for as long as the window lives, and then passes every message to the
// procedure it had replaced.
//
// There is no form designer here, so the designing state of such components
// never arises.
class TCustomSubClass : public QObject {
    Q_OBJECT

  public:
    explicit TCustomSubClass(QObject* owner);
    ~TCustomSubClass() override;

    THookableForm* Form() const { return form_; }
    HWND FormHandle() const { return formHandle_; }
    WNDPROC OldWndProc() const { return oldWndProc_; }
    WNDPROC WndProcInstance() const { return wndProcInstance_.get(); }

  protected:
    void SetForm(THookableForm* form);
    void HookWindow();
    void UnhookWindow();
    // The chain's answer to WM_GETMINMAXINFO may have changed: the form
    // asks again.
    void TrackSizesChanged() const;

    virtual void WindowDestroying();
    virtual void WindowRecreated();
    virtual void HookedWndProc(TMessage& message);
    virtual void UtilityWndProc(TMessage& message);
    // The free notification: the form is gone.
    virtual void Notification(QObject* component);

  private:
    // A window procedure that calls one member of this object, or, once
    // orphaned, passes every message to the procedure given then.
    class TBoundProc : public TWindowProc {
      public:
        using Member = void (TCustomSubClass::*)(TMessage&);
        TBoundProc(TCustomSubClass& object, Member member) : object_(&object), member_(member) {}
        LRESULT Call(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
        void Orphan(WNDPROC replaced);

      private:
        TCustomSubClass* object_;
        Member member_;
        WNDPROC replaced_ = nullptr;
    };

    static inline UINT recreatedMessageId_ = 0;

    // Cleared by the free notification. While the form is being freed it is
    // compared, never used.
    THookableForm* form_ = nullptr;
    HWND formHandle_ = 0;
    WNDPROC oldWndProc_ = nullptr;
    std::unique_ptr<TBoundProc> wndProcInstance_ =
        std::make_unique<TBoundProc>(*this, &TCustomSubClass::HookedWndProc);
    TBoundProc utilityProc_{*this, &TCustomSubClass::UtilityWndProc};
    HWND utilityWindow_ = 0;
    QMetaObject::Connection freeNotification_;
};

}  // namespace morvik
