#include "components/UDNmEdit/SkeletonUDBtn.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "platform/ApplicationErrors.h"
#include "platform/MouseHold.h"
#include "platform/RaisingEvents.h"
#include "platform/ScrollArrow.h"

namespace morvik {

TSkeletonUDBtn::TSkeletonUDBtn(QWidget* parent) : QWidget(parent) {
    setMinimumSize(kMinimumSide, kMinimumSide);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_NoMousePropagation);
}

void TSkeletonUDBtn::SetEnabled(bool enabled) {
    if (enabled == Enabled()) return;
    setEnabled(enabled);
    update();
}

QRect TSkeletonUDBtn::BtnRect(TBtnType btn) const {
    const int w = width();
    const int h = height();
    return btn == btUp ? QRect(0, 0, w, h / 2) : QRect(0, h / 2 + h % 2, w, h / 2);
}

void TSkeletonUDBtn::SetHalfState(TBtnType btn, uint8_t state) {
    TBtnInfo& info = Info(btn);
    if (info.State == state) return;
    info.State = state;
    update(BtnRect(btn));
}

void TSkeletonUDBtn::SetHalfEnabled(TBtnType btn, bool enabled) {
    TBtnInfo& info = Info(btn);
    if (info.HalfEnabled == enabled) return;
    info.HalfEnabled = enabled;
    if (isEnabled()) update(BtnRect(btn));
}

void TSkeletonUDBtn::Press(TBtnType btn) {
    TBtnInfo& info = Info(btn);
    if (!info.HalfEnabled) return;
    TBtnInfo& other = Info(btn == btUp ? btDown : btUp);
    if (activeInfo_ == &other) Release(other.BtnType);
    if (info.State != 1) SetHalfState(btn, 1);
    activeInfo_ = &info;

    FireEvent([&] { emit OnUDClick(this, btn); });
    if (activeInfo_ != &info) return;  // the handler ended the press

    if (repeatTimer_ == nullptr) {
        repeatTimer_ = new QTimer(this);
        repeatTimer_->setTimerType(Qt::PreciseTimer);
        ConnectGuarded(repeatTimer_, &QTimer::timeout, this, &TSkeletonUDBtn::RepeatTick);
    }
    repeatTimer_->start(kFirstRepeatMs);
}

void TSkeletonUDBtn::RepeatTick() {
    repeatTimer_->setInterval(kRepeatMs);
    // A popup takes the mouse without telling the widget that held it.
    if (QApplication::activePopupWidget() != nullptr) LoseCapture();
    if (activeInfo_ == nullptr || !activeInfo_->HalfEnabled || activeInfo_->State != 1 ||
        !HoldsMouseCapture()) {
        return;
    }
    try {
        FireEvent([&] { emit OnUDClick(this, activeInfo_->BtnType); });
    } catch (...) {
        repeatTimer_->stop();
        throw;
    }
}

void TSkeletonUDBtn::Release(TBtnType btn) {
    EndPress(btn);
    FireEvent([&] { emit OnUDRelease(this); });
}

void TSkeletonUDBtn::EndPress(TBtnType btn) {
    SetHalfState(btn, 0);
    activeInfo_ = nullptr;
    if (repeatTimer_ != nullptr) repeatTimer_->stop();
}

// The mouse press ends with the capture; a key press goes on.
void TSkeletonUDBtn::LoseCapture() {
    if (!mouseCaptured_) return;
    mouseCaptured_ = false;
    if (activeInfo_ != nullptr && !keyHeld_) Release(activeInfo_->BtnType);
}

bool TSkeletonUDBtn::event(QEvent* event) {
    return DeliverGuarded(this, event, [&] {
        if (LosesMouseHold(*event, *this)) LoseCapture();
        return QWidget::event(event);
    });
}

void TSkeletonUDBtn::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    DrawHalf(painter, upInfo_);
    DrawHalf(painter, downInfo_);
}

void TSkeletonUDBtn::DrawHalf(QPainter& painter, const TBtnInfo& info) const {
    DrawScrollArrow(
        painter, *this, BtnRect(info.BtnType),
        info.BtnType == btUp ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
        isEnabled() && info.HalfEnabled, info.State == 1);
}

// The mouse handlers keep their events accepted (the base would ignore
// them and let them reach the parent). Qt delivers none to a disabled button.
void TSkeletonUDBtn::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    mouseCaptured_ = true;
    const QPoint point = event->position().toPoint();
    if (BtnRect(btUp).contains(point)) {
        Press(btUp);
    } else if (BtnRect(btDown).contains(point)) {
        Press(btDown);
    }
}

void TSkeletonUDBtn::mouseMoveEvent(QMouseEvent* event) {
    if (activeInfo_ != nullptr && !keyHeld_ &&
        !BtnRect(activeInfo_->BtnType).contains(event->position().toPoint())) {
        Release(activeInfo_->BtnType);
    }
}

// The capture goes first, so that a failing release handler cannot keep it.
void TSkeletonUDBtn::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) mouseCaptured_ = false;
    if (activeInfo_ != nullptr) Release(activeInfo_->BtnType);
}

void TSkeletonUDBtn::KeyDown(const QKeyEvent& event) {
    if (event.key() != Qt::Key_Up && event.key() != Qt::Key_Down) return;
    Press(event.key() == Qt::Key_Up ? btUp : btDown);
    keyHeld_ = true;
}

void TSkeletonUDBtn::KeyUp(const QKeyEvent& event) {
    // The keyboard's own repeat sends releases too; only the last one ends the press.
    if (event.isAutoRepeat() || (event.key() != Qt::Key_Up && event.key() != Qt::Key_Down)) return;
    Release(event.key() == Qt::Key_Up ? btUp : btDown);
    keyHeld_ = false;
}

void TSkeletonUDBtn::EndKeyPress() {
    if (!keyHeld_) return;
    keyHeld_ = false;
    if (activeInfo_ == nullptr || mouseCaptured_) return;
    EndPress(activeInfo_->BtnType);
}

void TSkeletonUDBtn::keyPressEvent(QKeyEvent* event) {
    KeyDown(*event);
    QWidget::keyPressEvent(event);
}

void TSkeletonUDBtn::keyReleaseEvent(QKeyEvent* event) {
    KeyUp(*event);
    QWidget::keyReleaseEvent(event);
}

}  // namespace morvik
