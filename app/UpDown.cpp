#include "app/UpDown.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <algorithm>

#include "platform/MouseHold.h"
#include "platform/ScrollArrow.h"

namespace morvik {

TUpDown::TUpDown(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    repeatTimer_.setTimerType(Qt::PreciseTimer);
    connect(&repeatTimer_, &QTimer::timeout, this, [this] {
        repeatTimer_.setInterval(kRepeatMs);
        Step();
    });
}

void TUpDown::SetMin(int min) {
    if (min == min_) return;
    min_ = min;
    SetPosition(std::max(position_, min_));
    update();
}

void TUpDown::SetMax(int max) {
    if (max == max_) return;
    max_ = max;
    SetPosition(std::min(position_, max_));
    update();
}

void TUpDown::SetPosition(int position) {
    position = std::clamp(position, min_, std::max(min_, max_));
    if (position == position_) return;
    position_ = position;
    update();
}

QRect TUpDown::ArrowRect(Arrow arrow) const {
    const int half = width() / 2;
    return arrow == Arrow::kLeft ? QRect(0, 0, half, height())
                                 : QRect(half, 0, width() - half, height());
}

void TUpDown::Step() {
    if (held_ == Arrow::kLeft) SetPosition(position_ - 1);
    if (held_ == Arrow::kRight) SetPosition(position_ + 1);
}

void TUpDown::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (const Arrow arrow : {Arrow::kLeft, Arrow::kRight}) {
        DrawScrollArrow(
            painter, *this, ArrowRect(arrow),
            arrow == Arrow::kLeft ? QStyle::PE_IndicatorArrowLeft : QStyle::PE_IndicatorArrowRight,
            isEnabled(), held_ == arrow);
    }
    if (!hasFocus()) return;
    // The style decides whether focus shows (Fusion: only once the keyboard moved it).
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect().adjusted(2, 2, -2, -2);
    focus.backgroundColor = palette().color(QPalette::Button);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}

void TUpDown::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        held_ = ArrowRect(Arrow::kLeft).contains(event->position().toPoint()) ? Arrow::kLeft
                                                                              : Arrow::kRight;
        Step();
        repeatTimer_.start(kFirstRepeatMs);
    }
    emit OnMouseDown(this, event->button());
}

void TUpDown::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) EndHold();
}

bool TUpDown::event(QEvent* event) {
    if (LosesMouseHold(*event, *this)) EndHold();
    return QWidget::event(event);
}

void TUpDown::EndHold() {
    held_ = Arrow::kNone;
    repeatTimer_.stop();
    update();
}

void TUpDown::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            SetPosition(position_ - 1);
            break;
        case Qt::Key_Right:
        case Qt::Key_Up:
            SetPosition(position_ + 1);
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace morvik
