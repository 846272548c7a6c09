#pragma once

#include <QBuffer>
#include <QIODevice>
#include <QImage>
#include <QString>
#include <cstdint>
#include <span>

namespace morvik {

// One picture held as a BMP file image in a memory stream of its own, which
// can be loaded, reduced to fewer colours and written out unchanged. It needs
// no window: the reduced image control and the batch tool both build on it.
class ReducedImageStore {
  public:
    ReducedImageStore();

    // Takes the whole of `source`, from its first byte, mends its header and
    // keeps it if it is a valid BMP file image; anything else is ignored.
    // Returns whether the picture was replaced. Throws EReadError when the
    // source cannot be read, EStreamError when memory runs out.
    bool LoadFromStream(QIODevice& source);

    // Serialises the picture with Qt's BMP writer and loads that. A null
    // image is ignored. Returns whether the picture was replaced.
    bool LoadFromBitmap(const QImage& bitmap);

    // Replaces the picture by its reduction to at most `count` colours.
    // Does nothing without a picture. Throws EOutOfMemory, changing nothing.
    void ReduceColors(int32_t count);

    // Appends the picture to `target`; nothing without a picture. Throws
    // EWriteError when the target takes fewer bytes.
    void SaveToStream(QIODevice& target) const;

    // Writes the picture as a file, or an empty file without one. The file
    // is replaced only once every byte is written: on failure an existing
    // file stays as it was. The one exception: a writable file in a folder
    // where no file can be made beside it is written in place, and a failed
    // write there leaves it cut short. Throws EFCreateError or EWriteError.
    void SaveToFile(const QString& fileName) const;

    bool HoldsImage() const;
    std::span<const uint8_t> Bytes() const;
    std::span<uint8_t> MutableBytes();
    QBuffer& ImageStream() { return imageStream_; }

    int32_t SourceColors() const { return sourceColors_; }
    int32_t ColorCount() const { return colorCount_; }
    int32_t Levels() const { return levels_; }

  private:
    QByteArray image_;
    QBuffer imageStream_{&image_};
    int32_t sourceColors_ = 0;
    int32_t colorCount_ = -1;
    int32_t levels_ = 0;
};

}  // namespace morvik
