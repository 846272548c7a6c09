#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>

#include "components/ReducedImage/ReducedImageStore.h"

namespace morvik {

// A control without a background of its own that shows one picture 1:1 and
// can reduce it to fewer colours and save it as a bitmap file.
class TCustomReducedImage : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(TReduceMode ReduceMode READ ReduceMode WRITE SetReduceMode)

  public:
    enum TReduceMode : uint8_t { rmAuto = 0, rmNone = 1 };
    Q_ENUM(TReduceMode)

    explicit TCustomReducedImage(QWidget* parent = nullptr);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    TReduceMode ReduceMode() const { return reduceMode_; }
    void SetReduceMode(TReduceMode mode);

    void LoadFromStream(QIODevice& source);
    void ReduceColors(int32_t count);
    void SaveToStream(QIODevice& target) const { store_.SaveToStream(target); }
    void SaveToFile(const QString& fileName) const { store_.SaveToFile(fileName); }

    int32_t SourceColors() const { return store_.SourceColors(); }
    int32_t ColorCount() const { return store_.ColorCount(); }
    int32_t Levels() const { return store_.Levels(); }
    // Read-only: the picture changes only through the operations above.
    const QBuffer& ImageStream() { return store_.ImageStream(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void PictureChanged();
    ReducedImageStore& Store() { return store_; }

  private:
    void ApplyAutoSize();
    void DrawImage(QPainter& painter);
    QImage DecodedPicture();

    ReducedImageStore store_;
    QImage shown_;  // the stored image decoded, until it changes
    bool autoSize_ = false;
    TReduceMode reduceMode_ = rmAuto;
};

// The reduced image control fed through a bitmap: every new bitmap is
// serialised and loaded at once.
class TReducedImage : public TCustomReducedImage {
    Q_OBJECT
    Q_PROPERTY(QImage Bitmap READ Bitmap WRITE SetBitmap)

  public:
    explicit TReducedImage(QWidget* parent = nullptr) : TCustomReducedImage(parent) {}

    const QImage& Bitmap() const { return bitmap_; }
    void SetBitmap(const QImage& bitmap);

  private:
    void BitmapChanged();

    QImage bitmap_;
};

}  // namespace morvik
