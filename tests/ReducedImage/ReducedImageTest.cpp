#include "components/ReducedImage/ReducedImage.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPixmap>

#include "components/ReducedImage/BmpImage.h"
#include "tests/ReducedImage/BmpBuilder.h"

namespace morvik {
namespace {

void Load(TCustomReducedImage& control, const std::vector<uint8_t>& image) {
    QByteArray bytes(reinterpret_cast<const char*>(image.data()),
                     static_cast<qsizetype>(image.size()));
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    control.LoadFromStream(stream);
}

TEST(TReducedImage, StartsEmptyAtItsDefaults) {
    TReducedImage control;
    EXPECT_EQ(control.size(), QSize(100, 100));
    EXPECT_EQ(control.ColorCount(), -1);
    EXPECT_EQ(control.SourceColors(), 0);
    EXPECT_EQ(control.Levels(), 0);
    EXPECT_FALSE(control.AutoSize());
    EXPECT_EQ(control.ReduceMode(), TCustomReducedImage::rmAuto);
    // Window descriptions set the properties by name.
    EXPECT_TRUE(
        control.setProperty("ReduceMode", QVariant::fromValue(TCustomReducedImage::rmNone)));
    EXPECT_TRUE(control.setProperty("AutoSize", true));
    EXPECT_EQ(control.ReduceMode(), TCustomReducedImage::rmNone);
    EXPECT_TRUE(control.AutoSize());
}

TEST(TReducedImage, AutoSizeTakesThePicturesSizeInPlace) {
    TReducedImage control;
    control.move(7, 9);
    control.SetAutoSize(true);
    Load(control, MakeBmp24(300, 200, [](int32_t, int32_t) { return 0x336699u; }));
    EXPECT_EQ(control.geometry(), QRect(7, 9, 300, 200));

    TReducedImage later;
    Load(later, MakeBmp24(30, 20, [](int32_t, int32_t) { return 0u; }));
    EXPECT_EQ(later.size(), QSize(100, 100));
    later.SetAutoSize(true);
    EXPECT_EQ(later.size(), QSize(30, 20));
    later.SetAutoSize(false);
    EXPECT_EQ(later.size(), QSize(30, 20)) << "turning it off keeps the size";
}

TEST(TReducedImage, BitmapIsLoadedAtOnceAndAnEmptyOneIgnored) {
    TReducedImage control;
    QImage picture(6, 4, QImage::Format_RGBX8888);
    picture.fill(QColor(255, 0, 0));
    control.SetBitmap(picture);
    control.ReduceColors(256);
    EXPECT_EQ(control.ColorCount(), 1);
    const QByteArray first = control.ImageStream().data();

    control.SetBitmap(QImage());
    control.ReduceColors(256);
    EXPECT_EQ(control.ImageStream().data(), first) << "the earlier picture stays";
    EXPECT_TRUE(control.Bitmap().isNull());

    // The same picture handed over again is loaded again; the owned bitmap
    // itself is not.
    control.SetBitmap(picture);
    control.ReduceColors(256);
    control.SetBitmap(picture);
    EXPECT_EQ(control.ColorCount(), -1);
    control.ReduceColors(256);
    control.SetBitmap(control.Bitmap());
    EXPECT_EQ(control.ColorCount(), 1);
}

TEST(TReducedImage, PaintsThePicture1To1FromTheTopLeft) {
    TReducedImage control;
    control.resize(8, 8);
    QImage picture(3, 2, QImage::Format_RGBX8888);
    picture.fill(QColor(0, 0, 0));
    picture.setPixel(0, 0, qRgb(255, 255, 255));
    picture.setPixel(2, 1, qRgb(0, 0, 255));
    control.SetBitmap(picture);
    control.ReduceColors(16);

    QPixmap canvas(8, 8);
    canvas.fill(Qt::green);
    control.render(&canvas, QPoint(), QRegion(), QWidget::RenderFlags());
    const QImage shown = canvas.toImage();
    EXPECT_EQ(shown.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(2, 1), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(3, 0), qRgb(0, 255, 0)) << "no background beyond the picture";
    EXPECT_EQ(shown.pixel(0, 2), qRgb(0, 255, 0));
}

TEST(TReducedImage, OneBitPicturesPaintInTheirOwnColoursAndChangesShow) {
    TReducedImage control;
    Load(control, MakeBmp(2, 1, {{0x80}}, {0x0000FF, 0xFF0000}));  // blue, red
    QPixmap canvas(2, 1);
    control.render(&canvas);
    EXPECT_EQ(canvas.toImage().pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.toImage().pixel(1, 0), qRgb(0, 0, 255));

    // The kept picture goes with the stored image it came from.
    Load(control, MakeBmp(2, 1, {{0x40}}, {0x0000FF, 0xFF0000}));
    control.render(&canvas);
    EXPECT_EQ(canvas.toImage().pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(canvas.toImage().pixel(1, 0), qRgb(255, 0, 0));
    control.ReduceColors(8);
    control.render(&canvas);
    EXPECT_EQ(canvas.toImage().pixel(1, 0), qRgb(255, 255, 255))
        << "reduction reads 1-bit rows as black and white";
}

TEST(TReducedImage, PaintingGivesAPaletteImageItsFullCount) {
    TReducedImage control;
    std::vector<uint8_t> eight = MakeBmp(2, 8, {{0, 1}}, {0x0000FF, 0x00FF00});
    BmpHeader header = ReadBmpHeader(eight);
    header.biClrUsed = 0;
    WriteBmpHeader(header, eight);
    Load(control, eight);
    QPixmap canvas(4, 4);
    control.render(&canvas);
    EXPECT_EQ(canvas.toImage().pixel(1, 0), qRgb(0, 255, 0));
    const QByteArray stored = control.ImageStream().data();
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(stored.constData()),
                                         static_cast<std::size_t>(stored.size()));
    EXPECT_EQ(ReadBmpHeader(bytes).biClrUsed, 256);
}

}  // namespace
}  // namespace morvik
