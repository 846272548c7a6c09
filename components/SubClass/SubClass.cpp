#include "components/SubClass/SubClass.h"

namespace morvik {

LRESULT TCustomSubClass::TBoundProc::Call(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (object_ == nullptr) return CallWindowProcA(replaced_, window, message, wParam, lParam);
    TMessage handled{message, wParam, lParam, 0};
    (object_->*member_)(handled);
    return handled.Result;
}

void TCustomSubClass::TBoundProc::Orphan(WNDPROC replaced) {
    object_ = nullptr;
    replaced_ = replaced;
}

TCustomSubClass::TCustomSubClass(QObject* owner) : QObject(owner) {
    recreatedMessageId_ = RegisterWindowMessageA("WM_RECREATED");
    utilityWindow_ = CreateWindowHandle(&utilityProc_);
}

TCustomSubClass::~TCustomSubClass() {
    UnhookWindow();
    DestroyWindowHandle(utilityWindow_);  // a queued WM_RECREATED never arrives
    wndProcInstance_->Orphan(oldWndProc_);
    KeepWhileWindowLives(formHandle_, std::move(wndProcInstance_));
}

void TCustomSubClass::SetForm(THookableForm* form) {
    if (form == form_) return;
    UnhookWindow();
    form_ = form;
    formHandle_ = form != nullptr ? form->Handle() : 0;
    if (form_ != nullptr) HookWindow();
}

void TCustomSubClass::HookWindow() {
    QObject::disconnect(freeNotification_);
    freeNotification_ = connect(form_, &QObject::destroyed, this,
                                [this](QObject* component) { Notification(component); });
    oldWndProc_ = SetWindowLongA(formHandle_, GWL_WNDPROC, WndProcInstance());
    TrackSizesChanged();
}

// Puts the old procedure back without asking whether ours is still current.
void TCustomSubClass::UnhookWindow() {
    if (form_ == nullptr || formHandle_ == 0 || !IsWindow(formHandle_)) return;
    SetWindowLongA(formHandle_, GWL_WNDPROC, oldWndProc_);
    TrackSizesChanged();
}

void TCustomSubClass::TrackSizesChanged() const {
    if (form_ != nullptr) form_->UpdateTrackSizes();
}

void TCustomSubClass::Notification(QObject* component) {
    if (component == form_) form_ = nullptr;
}

void TCustomSubClass::HookedWndProc(TMessage& message) {
    if (message.Msg == WM_DESTROY) WindowDestroying();
    message.Result =
        CallWindowProcA(oldWndProc_, formHandle_, message.Msg, message.WParam, message.LParam);
}

void TCustomSubClass::WindowDestroying() {
    PostMessageA(utilityWindow_, recreatedMessageId_, 0, 0);
    UnhookWindow();
}

void TCustomSubClass::UtilityWndProc(TMessage& message) {
    if (message.Msg == recreatedMessageId_) WindowRecreated();
    message.Result = DefWindowProcA(utilityWindow_, message.Msg, message.WParam, message.LParam);
}

void TCustomSubClass::WindowRecreated() {
    if (form_ == nullptr) {
        formHandle_ = 0;
        return;
    }
    formHandle_ = form_->Handle();
    HookWindow();
}

}  // namespace morvik
