#include "app/Image.h"

#include <QMouseEvent>
#include <QPainter>
#include <utility>

#include "app/BitmapPixels.h"

namespace morvik {

void TImage::SetBitmapSize(QSize size) {
    if (size == bitmap_.size()) return;
    QImage resized = BlackBitmap(size);
    QPainter(&resized).drawImage(0, 0, bitmap_);
    bitmap_ = std::move(resized);
    resize(size);
    update();
}

void TImage::DrawBitmap(const QImage& source) {
    QPainter(&bitmap_).drawImage(0, 0, source);
    update();
}

void TImage::paintEvent(QPaintEvent*) { QPainter(this).drawImage(0, 0, bitmap_); }

void TImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit OnClick(this);
    }
}

}  // namespace morvik
