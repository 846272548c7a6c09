#include "tools/OutputFiles.h"

#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <stdexcept>
#include <vector>

namespace morvik {

namespace {

[[noreturn]] void FailToWrite(const QString& fileName, const QString& reason) {
    throw std::runtime_error(QString("cannot write %1: %2").arg(fileName, reason).toStdString());
}

void Commit(QSaveFile& file) {
    if (!file.commit()) FailToWrite(file.fileName(), file.errorString());
}

QSaveFile& Open(QSaveFile& file) {
    if (!file.open(QIODevice::WriteOnly)) FailToWrite(file.fileName(), file.errorString());
    return file;
}

void SavePng(const QImage& image, const QString& fileName) {
    QSaveFile file(fileName);
    QImageWriter writer(&Open(file), "png");
    if (!writer.write(image)) FailToWrite(fileName, writer.errorString());
    Commit(file);
}

// Little-endian whatever the machine, a slice at a time.
void SaveRawValues(const ZeroedVector<uint16_t>& values, const QString& fileName) {
    QSaveFile file(fileName);
    Open(file);
    constexpr std::size_t kSlice = 1 << 16;
    std::vector<uint16_t> slice(kSlice);
    for (std::size_t first = 0; first < values.size(); first += kSlice) {
        const std::size_t count = std::min(kSlice, values.size() - first);
        qToLittleEndian<uint16_t>(&values[first], static_cast<qsizetype>(count), slice.data());
        const auto bytes = static_cast<qint64>(count * sizeof(uint16_t));
        if (file.write(reinterpret_cast<const char*>(slice.data()), bytes) != bytes) {
            FailToWrite(fileName, file.errorString());
        }
    }
    Commit(file);
}

}  // namespace

bool IsPngName(const QString& fileName) { return fileName.endsWith(".png", Qt::CaseInsensitive); }

bool IsHeightmapName(const QString& fileName) {
    return IsPngName(fileName) || fileName.endsWith(".r16", Qt::CaseInsensitive) ||
           fileName.endsWith(".raw", Qt::CaseInsensitive);
}

void SaveHeightmap(const Heightmap& map, const QString& fileName) {
    if (!IsPngName(fileName)) {
        SaveRawValues(map.values, fileName);
        return;
    }
    const int width = map.size.Width();
    // The values themselves, not a copy: 2 bytes a cell.
    const QImage image(reinterpret_cast<const uchar*>(map.values.data()), width, map.size.Height(),
                       width * static_cast<int>(sizeof(uint16_t)), QImage::Format_Grayscale16);
    SavePng(image, fileName);
}

void SavePngPicture(const ReducedImageStore& store, const QString& fileName) {
    const std::span<const uint8_t> bytes = store.Bytes();
    const QImage picture = QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), "BMP");
    if (picture.isNull()) FailToWrite(fileName, "the picture cannot be read back");
    SavePng(picture, fileName);
}

}  // namespace morvik
