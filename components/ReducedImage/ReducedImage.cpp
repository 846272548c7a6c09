#include "components/ReducedImage/ReducedImage.h"

#include <QPainter>
#include <cstdlib>

#include "components/ReducedImage/BmpImage.h"

namespace morvik {

TCustomReducedImage::TCustomReducedImage(QWidget* parent) : QWidget(parent) { resize(100, 100); }

void TCustomReducedImage::SetAutoSize(bool autoSize) {
    if (autoSize == autoSize_) return;
    autoSize_ = autoSize;
    if (autoSize_) ApplyAutoSize();
    update();
}

void TCustomReducedImage::SetReduceMode(TReduceMode mode) {
    if (mode == reduceMode_) return;
    reduceMode_ = mode;
    update();
}

void TCustomReducedImage::LoadFromStream(QIODevice& source) {
    if (store_.LoadFromStream(source)) PictureChanged();
}

void TCustomReducedImage::ReduceColors(int32_t count) {
    store_.ReduceColors(count);
    shown_ = QImage();
    if (autoSize_) ApplyAutoSize();
}

void TCustomReducedImage::PictureChanged() {
    shown_ = QImage();
    if (autoSize_) ApplyAutoSize();
    update();
}

void TCustomReducedImage::ApplyAutoSize() {
    if (!store_.HoldsImage()) return;
    const BmpHeader header = ReadBmpHeader(store_.Bytes());
    resize(std::abs(header.biWidth), std::abs(header.biHeight));
}

// Every display Qt draws on has more than 8 bits per pixel, so the picture is
// always drawn as it is, whatever the reduce mode.
void TCustomReducedImage::paintEvent(QPaintEvent*) {
    if (!store_.HoldsImage()) return;
    QPainter painter(this);
    DrawImage(painter);
}

// The picture is decoded once for each stored image, and kept for the
// paints that follow.
void TCustomReducedImage::DrawImage(QPainter& painter) {
    if (shown_.isNull()) shown_ = DecodedPicture();
    painter.drawImage(0, 0, shown_);
}

// Drawn through the colour table, as the device-independent draw takes it:
// 1-bit pictures too, in their own two colours.
QImage TCustomReducedImage::DecodedPicture() {
    // A palette image without a usable colour count is taken to have a
    // full table, and says so from now on.
    BmpHeader header = ReadBmpHeader(store_.Bytes());
    const int32_t fullTable = header.biBitCount == 4 ? 16 : 256;
    if ((header.biBitCount == 4 || header.biBitCount == 8) &&
        (header.biClrUsed < 1 || header.biClrUsed > fullTable)) {
        header.biClrUsed = fullTable;
        WriteBmpHeader(header, store_.MutableBytes());
    }

    QImage picture(header.biWidth, header.biHeight, QImage::Format_RGB32);
    if (picture.isNull()) return picture;  // larger than Qt can hold
    for (int32_t row = 0; row < header.biHeight; ++row) {
        auto* line = reinterpret_cast<uint32_t*>(picture.scanLine(header.biHeight - 1 - row));
        DecodeRow(store_.Bytes(), row, line, OneBitRows::kThroughTable);
        for (int32_t x = 0; x < header.biWidth; ++x) line[x] |= 0xFF000000;
    }
    return picture;
}

// Only the owned bitmap itself is skipped: any other is taken again, even
// a copy of the same picture, since the stored image may have been reduced.
void TReducedImage::SetBitmap(const QImage& bitmap) {
    if (&bitmap == &bitmap_) return;
    bitmap_ = bitmap;
    BitmapChanged();
}

void TReducedImage::BitmapChanged() {
    if (Store().LoadFromBitmap(bitmap_)) PictureChanged();
}

}  // namespace morvik
