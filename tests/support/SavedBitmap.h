#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "components/ReducedImage/BmpImage.h"
#include "tests/support/Files.h"

namespace morvik {

// A bitmap file that the program saved: its header, its size and the bytes
// after the header.
struct SavedBitmap {
    BmpHeader header;
    qsizetype fileSize;
    std::vector<uint8_t> pixels;
};

// None where the file is missing or not a well-formed bitmap.
inline std::optional<SavedBitmap> ReadSavedBitmap(const QString& name) {
    const QByteArray bytes = ReadFile(name);
    const std::span<const uint8_t> image(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                         static_cast<std::size_t>(bytes.size()));
    if (!IsValidBmpImage(image)) return std::nullopt;
    const BmpHeader header = ReadBmpHeader(image);
    return SavedBitmap{header, bytes.size(),
                       std::vector<uint8_t>(image.begin() + header.bfOffBits, image.end())};
}

}  // namespace morvik
