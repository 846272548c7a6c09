#include "app/Gauge.h"

#include <QPainter>
#include <algorithm>

namespace morvik {

namespace {

// Every setter repaints only when its value changes.
template <typename T>
void Store(TGauge& gauge, T& field, const T& value) {
    if (field == value) return;
    field = value;
    gauge.update();
}

}  // namespace

void TGauge::SetKind(TGaugeKind kind) { Store(*this, kind_, kind); }
void TGauge::SetBorderStyle(TBorderStyle style) { Store(*this, borderStyle_, style); }
void TGauge::SetForeColor(const QColor& colour) { Store(*this, foreColor_, colour); }
void TGauge::SetBackColor(const QColor& colour) { Store(*this, backColor_, colour); }
void TGauge::SetMinValue(int value) { Store(*this, minValue_, value); }
void TGauge::SetMaxValue(int value) { Store(*this, maxValue_, value); }
void TGauge::SetProgress(int progress) { Store(*this, progress_, progress); }

int TGauge::PercentDone() const {
    const int64_t range = int64_t{maxValue_} - minValue_;
    if (range <= 0) return 0;
    const int64_t done = std::clamp<int64_t>(int64_t{progress_} - minValue_, 0, range);
    return static_cast<int>(done * 100 / range);
}

void TGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect bar = rect();
    if (borderStyle_ == bsSingle) {
        painter.setPen(Qt::black);
        painter.drawRect(bar.adjusted(0, 0, -1, -1));
        bar.adjust(1, 1, -1, -1);
    }
    painter.fillRect(bar, backColor_);
    if (kind_ == gkHorizontalBar) {
        bar.setWidth(bar.width() * PercentDone() / 100);
    } else {
        bar.setTop(bar.bottom() + 1 - bar.height() * PercentDone() / 100);
    }
    painter.fillRect(bar, foreColor_);
}

}  // namespace morvik
