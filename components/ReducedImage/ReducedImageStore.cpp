#include "components/ReducedImage/ReducedImageStore.h"

#include <QImageWriter>
#include <QSaveFile>
#include <new>

#include "components/ReducedImage/BmpImage.h"
#include "components/ReducedImage/ColourReduction.h"
#include "platform/ToolkitErrors.h"

namespace morvik {

namespace {

std::span<uint8_t> AsBytes(QByteArray& bytes) {
    return {reinterpret_cast<uint8_t*>(bytes.data()), static_cast<std::size_t>(bytes.size())};
}

// The whole of a device, from its first byte where it can seek. Read piece
// by piece, since readAll() stops quietly at a failed read: any failed read
// is an error, and a device that knows its size must give all of it.
QByteArray ReadWhole(QIODevice& source) {
    if (!source.isReadable() || (!source.isSequential() && !source.seek(0))) throw EReadError();
    QByteArray whole;
    char piece[1 << 16];
    try {
        for (;;) {
            const qint64 got = source.read(piece, sizeof piece);
            if (got < 0) throw EReadError();
            if (got == 0) break;
            whole.append(piece, got);
        }
    } catch (const std::bad_alloc&) {
        throw EStreamError();
    }
    if (!source.isSequential() && whole.size() != source.size()) throw EReadError();
    return whole;
}

}  // namespace

ReducedImageStore::ReducedImageStore() { imageStream_.open(QIODevice::ReadWrite); }

bool ReducedImageStore::LoadFromStream(QIODevice& source) {
    if (&source == &imageStream_) return false;
    QByteArray copy = ReadWhole(source);
    if (!RepairFileHeader(AsBytes(copy)) || !IsValidBmpImage(AsBytes(copy))) return false;
    image_.swap(copy);
    imageStream_.seek(0);
    colorCount_ = -1;
    return true;
}

bool ReducedImageStore::LoadFromBitmap(const QImage& bitmap) {
    if (bitmap.isNull()) return false;
    QByteArray serialised;
    QBuffer stream(&serialised);
    stream.open(QIODevice::ReadWrite);
    if (!QImageWriter(&stream, "BMP").write(bitmap)) throw EWriteError();
    return LoadFromStream(stream);
}

void ReducedImageStore::ReduceColors(int32_t count) {
    if (!HoldsImage()) return;
    const Reduction reduction = ReduceImage(Bytes(), count);
    QByteArray reduced;
    try {
        reduced = QByteArray(reinterpret_cast<const char*>(reduction.image.data()),
                             static_cast<qsizetype>(reduction.image.size()));
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
    }
    image_.swap(reduced);
    imageStream_.seek(0);
    sourceColors_ = reduction.sourceColours;
    colorCount_ = reduction.colourCount;
    levels_ = reduction.levels;
}

void ReducedImageStore::SaveToStream(QIODevice& target) const {
    if (&target == &imageStream_ || !HoldsImage()) return;
    if (target.write(image_) != image_.size()) throw EWriteError();
}

// All or nothing: the file is replaced once every byte is written. Only
// where no file can be made beside it (a folder the user cannot write to)
// is an existing writable file written in place.
void ReducedImageStore::SaveToFile(const QString& fileName) const {
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) throw EFCreateError(fileName.toStdString());
    if (image_.size() > static_cast<qsizetype>(kBmpHeadersSize)) SaveToStream(file);
    if (!file.commit()) throw EWriteError();
}

bool ReducedImageStore::HoldsImage() const { return IsValidBmpImage(Bytes()); }

std::span<const uint8_t> ReducedImageStore::Bytes() const {
    return {reinterpret_cast<const uint8_t*>(image_.constData()),
            static_cast<std::size_t>(image_.size())};
}

std::span<uint8_t> ReducedImageStore::MutableBytes() { return AsBytes(image_); }

}  // namespace morvik
