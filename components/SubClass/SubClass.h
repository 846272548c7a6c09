#pragma once

#include <QObject>

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
    WNDPROC WndProcInstance() { return &wndProcInstance_; }

  protected:
    void SetForm(THookableForm* form);
    void HookWindow();
    void UnhookWindow();

    virtual void WindowDestroying();
    virtual void WindowRecreated();
    virtual void HookedWndProc(TMessage& message);
    virtual void UtilityWndProc(TMessage& message);
    // The free notification: the form is gone.
    virtual void Notification(QObject* component);

  private:
    // A window procedure that calls one member of this object.
    class TBoundProc : public TWindowProc {
      public:
        using Member = void (TCustomSubClass::*)(TMessage&);
        TBoundProc(TCustomSubClass& object, Member member) : object_(object), member_(member) {}
        LRESULT Call(HWND, UINT message, WPARAM wParam, LPARAM lParam) override;

      private:
        TCustomSubClass& object_;
        Member member_;
    };

    static inline UINT recreatedMessageId_ = 0;

    // Cleared by the free notification. While the form is being freed it is
    // compared, never used.
    THookableForm* form_ = nullptr;
    HWND formHandle_ = 0;
    WNDPROC oldWndProc_ = nullptr;
    TBoundProc wndProcInstance_{*this, &TCustomSubClass::HookedWndProc};
    TBoundProc utilityProc_{*this, &TCustomSubClass::UtilityWndProc};
    HWND utilityWindow_ = 0;
    QMetaObject::Connection freeNotification_;
};

}  // namespace morvik
