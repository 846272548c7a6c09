#include "platform/HookableForm.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "platform/ApplicationErrors.h"
#include "platform/WindowFrame.h"

namespace morvik {

namespace {

POINT ToPoint(QSize size) { return POINT{size.width(), size.height()}; }
QSize ToSize(POINT point) { return QSize(point.x, point.y); }

}  // namespace

THookableForm::~THookableForm() {
    Guard(this, [this] { DetachHandle(); });
}

HWND THookableForm::Handle() {
    if (handle_ == 0) winId();  // Qt creates the window; WinIdChange attaches the handle
    return handle_;
}

LRESULT THookableForm::Perform(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(handle_, message, wParam, lParam);
}

// The limits are asked for before and after: a component may answer the
// program differently from everyone else.
void THookableForm::SetBounds(const QRect& bounds) {
    {
        const QScopedValueRollback setting(settingBounds_, true);
        UpdateTrackSizes();
        if (bounds != BoundsRect()) {
            move(bounds.topLeft());
            resize(bounds.size() - FrameExtra());
        }
    }
    UpdateTrackSizes();
}

void THookableForm::SetFrameTopLeft(QPoint topLeft) {
    const std::optional<QMargins> frame = ReportedFrameExtents(*this);
    if (!frame) {
        move(topLeft);
        return;
    }
    setGeometry(QRect(topLeft + QPoint(frame->left(), frame->top()), size()));
}

QSize THookableForm::ClientSize() const { return size() - QSize(0, MenuHeight()); }

void THookableForm::SetClientSize(QSize size) { resize(size + QSize(0, MenuHeight())); }

// The chain's track sizes become Qt's limits; where the chain leaves the
// form's own, the form gets its own back.
void THookableForm::UpdateTrackSizes() {
    if (handle_ == 0) return;
    MINMAXINFO info{};
    Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    const QSize frame = FrameExtra();
    const Limits wanted{
        (ToSize(info.ptMinTrackSize) - frame).expandedTo(QSize(0, 0)),
        (ToSize(info.ptMaxTrackSize) - frame)
            .boundedTo(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX))
            .expandedTo(QSize(0, 0)),
    };
    const Limits own = OwnLimits();
    if (wanted == own) {
        ownLimits_.reset();
    } else if (!ownLimits_) {
        ownLimits_ = own;
    }
    if (wanted == Limits{minimumSize(), maximumSize()}) return;
    setMinimumSize(wanted.minimum);
    setMaximumSize(wanted.maximum);
    SendQueuedRequests();
}

void THookableForm::WaitUntilFramed() {
    static constexpr int kLongestWaitMs = 1000;
    QElapsedTimer waiting;
    waiting.start();
    while (windowHandle() != nullptr && !windowHandle()->isExposed() &&
           waiting.elapsed() < kLongestWaitMs) {
        QCoreApplication::processEvents(
            QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents, 20);
    }
}

bool THookableForm::event(QEvent* event) {
    return DeliverGuarded(this, event, [&] { return Dispatch(event); });
}

bool THookableForm::Dispatch(QEvent* event) {
    if (event->type() == QEvent::WinIdChange) {
        if (internalWinId() != 0) {
            AttachHandle();
        } else {
            DetachHandle();
        }
    }
    if (event->type() == QEvent::Show) UpdateTrackSizes();
    const std::optional<Message> message = MessageOf(*event);
    if (!message || handle_ == 0) return QMainWindow::event(event);
    const QScopedValueRollback pendingEvent(pendingEvent_, event);
    const QScopedValueRollback pendingMessage(pendingMessage_, message->code);
    const QScopedValueRollback pendingHandled(pendingHandled_, false);
    Perform(message->code, message->wParam, message->lParam);
    return pendingHandled_;
}

std::optional<THookableForm::Message> THookableForm::MessageOf(const QEvent& event) const {
    switch (event.type()) {
        case QEvent::Move:
            return Message{WM_MOVE, 0, MakeLParam(geometry().x(), geometry().y())};
        case QEvent::Resize:
        case QEvent::WindowStateChange: {
            const WPARAM type = isMinimized()   ? SIZE_MINIMIZED
                                : isMaximized() ? SIZE_MAXIMIZED
                                                : SIZE_RESTORED;
            const QSize client = ClientSize();
            return Message{WM_SIZE, type, MakeLParam(client.width(), client.height())};
        }
        // Qt's spontaneous shows and hides are a restore and a minimise,
        // which came as WM_SIZE.
        case QEvent::Show:
            if (event.spontaneous()) return std::nullopt;
            return Message{WM_SHOWWINDOW, 1, 0};
        case QEvent::Hide:
            if (event.spontaneous()) return std::nullopt;
            return Message{WM_SHOWWINDOW, 0, 0};
        default:
            return std::nullopt;
    }
}

// The form's own procedure: Qt's handling of the event behind the message,
// the form's own track sizes, and its client area for a hit test.
LRESULT THookableForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (pendingEvent_ != nullptr && message == pendingMessage_) {
        pendingHandled_ = QMainWindow::event(std::exchange(pendingEvent_, nullptr));
        return 0;
    }
    switch (message) {
        case WM_GETMINMAXINFO: {
            const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
            const Limits own = OwnLimits();
            auto& info = *reinterpret_cast<MINMAXINFO*>(lParam);
            info.ptMaxSize = ToPoint(screen);
            info.ptMaxPosition = POINT{0, 0};
            info.ptMinTrackSize = ToPoint(own.minimum + FrameExtra());
            info.ptMaxTrackSize = ToPoint(own.maximum + FrameExtra());
            return 0;
        }
        case WM_NCHITTEST: {
            const QPoint point(static_cast<int16_t>(lParam & 0xFFFF),
                               static_cast<int16_t>((lParam >> 16) & 0xFFFF));
            return geometry().contains(point) ? HTCLIENT : HTNOWHERE;
        }
        default:
            return DefWindowProcA(handle_, message, wParam, lParam);
    }
}

void THookableForm::AttachHandle() {
    if (handle_ == 0) handle_ = CreateWindowHandle(&ownProc_);
}

// WM_DESTROY goes through the chain while the handle still names the
// window, but the form no longer takes it for its own: nothing is asked of a
// window that is going.
void THookableForm::DetachHandle() {
    if (handle_ == 0) return;
    const HWND going = std::exchange(handle_, 0);
    SendMessageA(going, WM_DESTROY, 0, 0);
    DestroyWindowHandle(going);
}

int THookableForm::MenuHeight() const {
    return menuWidget() != nullptr ? menuWidget()->sizeHint().height() : 0;
}

QSize THookableForm::FrameExtra() const { return frameGeometry().size() - geometry().size(); }

THookableForm::Limits THookableForm::OwnLimits() const {
    return ownLimits_.value_or(Limits{minimumSize(), maximumSize()});
}

}  // namespace morvik
