#include "components/ZCMinMax/ZMinMax.h"

#include "platform/SystemMetrics.h"

namespace morvik {

namespace {

constexpr const char* kAxisNames[] = {"X", "Y"};

}  // namespace

QSize FitSize(QSize size, QSize minimum, QSize maximum) {
    const auto fit = [](int value, int low, int high) {
        if (value < low) return low;
        return value > high ? high : value;
    };
    return QSize(fit(size.width(), minimum.width(), maximum.width()),
                 fit(size.height(), minimum.height(), maximum.height()));
}

TZMinMax::TZMinMax(QObject* owner, const QMetaObject& actualClass)
    : TBaseFormLocker(owner, actualClass), cursor_(new TFrameCursor(this)) {
    const int frameX = GetSystemMetrics(SM_CXFRAME, OwnerForm());
    const int frameY = GetSystemMetrics(SM_CYFRAME, OwnerForm());
    maxPosition_ = POINT{-frameX, -frameY};
    maximizedSize_ = POINT{ScreenSize(0) + 2 * frameX, ScreenSize(1) + 2 * frameY};
    maxSizeValue_[0] = ScreenSize(0);
    maxSizeValue_[1] = ScreenSize(1);
    const QRect bounds = OwnerForm()->BoundsRect();
    minSize_[0] = bounds.width() / 2;
    minSize_[1] = bounds.height() / 2;
}

void TZMinMax::SetCursor(TFrameCursor* cursor) {
    if (cursor != nullptr) cursor_->Assign(*cursor);
}

// Neither recomputes the fixed axes nor fits the form; only the answer to
// WM_GETMINMAXINFO changes.
void TZMinMax::SetMaxSizeMode(TMaxSizeMode mode) {
    maxSizeMode_ = mode;
    TrackSizesChanged();
}

void TZMinMax::SetValueIsClient(bool valueIsClient) {
    valueIsClient_ = valueIsClient;
    TrackSizesChanged();
}

// Unlike the other setters, these run their steps for an unchanged value too.
void TZMinMax::SetMinSizeX(int value) { SetMinSize(0, value); }

void TZMinMax::SetMinSizeY(int value) { SetMinSize(1, value); }

void TZMinMax::SetMaxSizeX(int value) { SetMaxSize(0, value); }

void TZMinMax::SetMaxSizeY(int value) { SetMaxSize(1, value); }

int TZMinMax::ScreenSize(int index) {
    return GetSystemMetrics(index == 0 ? SM_CXSCREEN : SM_CYSCREEN);
}

bool TZMinMax::FollowsScreen(int index) const {
    return maxSizeMode_ == msmScreenAll ||
           (index == 0 ? maxSizeMode_ == msmScreenWidth : maxSizeMode_ == msmScreenHeight);
}

int TZMinMax::GetMaxSize(int index) const {
    return FollowsScreen(index) ? ScreenSize(index) : maxSizeValue_[index];
}

void TZMinMax::SetMinSize(int index, int value) {
    if (value > GetMaxSize(index)) {
        throw EFormMinMaxError(std::string("MaxSize") + kAxisNames[index] +
                               "より大きい値は指定できません。");
    }
    minSize_[index] = std::max(value, 0);
    UpdateFixedAxes();
}

void TZMinMax::SetMaxSize(int index, int value) {
    const int screen = ScreenSize(index);
    if (value > screen) {
        maxSizeValue_[index] = screen;
    } else if (value < minSize_[index]) {
        throw EFormMinMaxError(std::string("MinSize") + kAxisNames[index] +
                               "より小さい値は指定できません。");
    } else {
        maxSizeValue_[index] = value;
    }
    UpdateFixedAxes();
}

// The form takes the new limits too: unlike the platform this stands in
// for, Qt asks for them only when told.
void TZMinMax::UpdateFixedAxes() {
    fixedWidth_ = GetMaxSize(0) <= minSize_[0];
    fixedHeight_ = GetMaxSize(1) <= minSize_[1];
    ApplyAutoResize();
    TrackSizesChanged();
}

void TZMinMax::ApplyAutoResize() {
    if (!autoResize_) return;
    THookableForm& form = *OwnerForm();
    const QRect bounds = form.BoundsRect();
    const QSize minimum(minSize_[0], minSize_[1]);
    const QSize maximum(GetMaxSize(0), GetMaxSize(1));
    if (valueIsClient_) {
        form.SetBounds(QRect(bounds.topLeft(),
                             form.NonClientSize() + FitSize(form.ClientSize(), minimum, maximum)));
    } else {
        form.SetBounds(QRect(bounds.topLeft(), FitSize(bounds.size(), minimum, maximum)));
    }
    CheckLockUp();
}

void TZMinMax::FillMinMaxInfo(MINMAXINFO& info) const {
    const QSize nonClient = valueIsClient_ ? OwnerForm()->NonClientSize() : QSize(0, 0);
    const QSize minimum = QSize(minSize_[0], minSize_[1]) + nonClient;
    // In the screen modes the screen limits the whole window.
    const QSize maximum(FollowsScreen(0) ? ScreenSize(0) : maxSizeValue_[0] + nonClient.width(),
                        FollowsScreen(1) ? ScreenSize(1) : maxSizeValue_[1] + nonClient.height());
    info.ptMaxSize = maximizedSize_;
    info.ptMaxPosition = maxPosition_;
    info.ptMinTrackSize = POINT{minimum.width(), minimum.height()};
    info.ptMaxTrackSize = POINT{maximum.width(), maximum.height()};
}

LRESULT TZMinMax::MapHitTest(LRESULT code) const {
    return morvik::MapHitTest(code, *cursor_, fixedWidth_, fixedHeight_);
}

LRESULT TZMinMax::ResolveZone(LRESULT code, TFrameCursor::THTCursor setting) const {
    return morvik::ResolveZone(code, setting, cursor_->CursorMode(), fixedWidth_, fixedHeight_);
}

LRESULT TZMinMax::AutoHitTest(LRESULT code) const {
    return morvik::AutoHitTest(code, fixedWidth_, fixedHeight_);
}

void TZMinMax::HookedWndProc(TMessage& message) {
    TBaseFormLocker::HookedWndProc(message);
    if (!Enabled()) return;
    switch (message.Msg) {
        case WM_SHOWWINDOW:
            ApplyAutoResize();
            break;
        case WM_GETMINMAXINFO: {
            auto& info = *reinterpret_cast<MINMAXINFO*>(message.LParam);
            FillMinMaxInfo(info);
            FreezeTrackSizes(info);  // again: the fill replaced the locker's frozen sizes
            break;
        }
        case WM_NCHITTEST:
            if (!SizeFreeze()) message.Result = MapHitTest(message.Result);
            break;
        default:
            break;
    }
}

}  // namespace morvik
