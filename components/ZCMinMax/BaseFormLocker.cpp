#include "components/ZCMinMax/BaseFormLocker.h"

#include <algorithm>

#include "platform/SystemMetrics.h"

namespace morvik {

const char* const TBaseFormLocker::kNotOnAForm =
    "もしかして、フォーム以外のコンテナに置こうとしてませんかぁ？\r\n"
    "それって僕が考えてる用途とちょっと違うんでダメなんですょ。";
const char* const TBaseFormLocker::kSecondOnAForm =
    "　あれれ。たぶん、間違って置いちゃったんですよね。\r\n"
    "同じ系統のものは二つも置けない設計してるんですぅ～。";

QRect KeepOnScreenBounds(QRect bounds, QSize screen) {
    const int width = std::min(bounds.width(), screen.width());
    const int height = std::min(bounds.height(), screen.height());
    // The size fits the screen, so the far limits are never below 0.
    return QRect(std::clamp(bounds.left(), 0, screen.width() - width),
                 std::clamp(bounds.top(), 0, screen.height() - height), width, height);
}

// Runs before the object joins its owner, so a second locker is refused
// before anything is made.
QObject* TBaseFormLocker::CheckedOwner(QObject* owner, const QMetaObject& actualClass) {
    if (qobject_cast<THookableForm*>(owner) == nullptr) throw ECreatingError(kNotOnAForm);
    if (FindComponentOfClass(owner, actualClass) != nullptr) throw ECreatingError(kSecondOnAForm);
    return owner;
}

TBaseFormLocker::TBaseFormLocker(QObject* owner, const QMetaObject& actualClass)
    : TCustomSubClass(CheckedOwner(owner, actualClass)) {}

QObject* TBaseFormLocker::FindComponentOfClass(const QObject* form,
                                               const QMetaObject& componentClass) {
    for (QObject* component : form->children()) {
        if (component->metaObject()->inherits(&componentClass)) return component;
    }
    return nullptr;
}

void TBaseFormLocker::Loaded() { SetForm(OwnerForm()); }

void TBaseFormLocker::SetEnabled(bool enabled) {
    enabled_ = enabled;
    TrackSizesChanged();
}

void TBaseFormLocker::SetSizeFreeze(bool sizeFreeze) {
    sizeFreeze_ = sizeFreeze;
    TrackSizesChanged();
}

void TBaseFormLocker::HookedWndProc(TMessage& message) {
    TCustomSubClass::HookedWndProc(message);
    if (!enabled_) return;
    switch (message.Msg) {
        case WM_MOVE:
            CheckLockUp();
            break;
        case WM_SIZE:
            if (message.WParam == SIZE_RESTORED) CheckLockUp();
            break;
        case WM_NCHITTEST:
            if (sizeFreeze_ && IsSizingBorder(message.Result)) {
                message.Result = HTNOWHERE;
            }
            break;
        case WM_GETMINMAXINFO:
            FreezeTrackSizes(*reinterpret_cast<MINMAXINFO*>(message.LParam));
            break;
        default:
            break;
    }
}

void TBaseFormLocker::FreezeTrackSizes(MINMAXINFO& info) const {
    if (!enabled_ || !sizeFreeze_ || OwnerForm()->SettingBounds()) return;
    const QSize size = OwnerForm()->BoundsRect().size();
    info.ptMinTrackSize = info.ptMaxTrackSize = POINT{size.width(), size.height()};
}

void TBaseFormLocker::CheckLockUp() {
    if (lockUp_) KeepOnScreen();
}

// Setting the bounds sends WM_MOVE or WM_SIZE, which comes back here and
// finds the form inside: that ends the chain.
void TBaseFormLocker::KeepOnScreen() {
    const QSize screen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    OwnerForm()->SetBounds(KeepOnScreenBounds(OwnerForm()->BoundsRect(), screen));
}

}  // namespace morvik
