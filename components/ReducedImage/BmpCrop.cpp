#include "components/ReducedImage/BmpCrop.h"

#include <algorithm>
#include <stdexcept>

#include "components/ReducedImage/BmpImage.h"

namespace morvik {

namespace {

// Pixel x of a stored row of 4 or 8 bits a pixel; 4-bit pixels fill a
// byte's high half first.
uint8_t IndexAt(const uint8_t* row, int32_t bits, int32_t x) {
    if (bits == 8) return row[x];
    return x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
}

void SetIndex(uint8_t* row, int32_t bits, int32_t x, uint8_t index) {
    if (bits == 8) {
        row[x] = index;
    } else if (x % 2 == 0) {
        row[x / 2] = static_cast<uint8_t>((row[x / 2] & 0x0F) | index << 4);
    } else {
        row[x / 2] = static_cast<uint8_t>((row[x / 2] & 0xF0) | index);
    }
}

}  // namespace

std::vector<uint8_t> CropBmpImage(std::span<const uint8_t> image, BmpRect rect) {
    if (!IsValidBmpImage(image)) throw std::invalid_argument("not a valid BMP file image");
    const BmpHeader header = ReadBmpHeader(image);
    const int32_t bits = header.biBitCount;
    if (bits != 4 && bits != 8) throw std::invalid_argument("only 4 or 8 bits a pixel crop");
    if (rect.left < 0 || rect.top < 0 || rect.width < 1 || rect.height < 1 ||
        rect.width > header.biWidth - rect.left || rect.height > header.biHeight - rect.top) {
        throw std::invalid_argument("the rectangle is not inside the image");
    }
    const int64_t fromStride = BmpRowStride(bits, header.biWidth);
    const int64_t toStride = BmpRowStride(bits, rect.width);
    const auto start = static_cast<std::size_t>(header.bfOffBits);
    std::vector<uint8_t> crop(start + static_cast<std::size_t>(toStride * rect.height), 0);
    std::copy(image.begin() + kBmpHeadersSize, image.begin() + header.bfOffBits,
              crop.begin() + kBmpHeadersSize);
    BmpHeader cropped = header;
    cropped.bfSize = static_cast<int32_t>(crop.size());
    cropped.biWidth = rect.width;
    cropped.biHeight = rect.height;
    cropped.biSizeImage = static_cast<int32_t>(toStride * rect.height);
    WriteBmpHeader(cropped, crop);
    for (int32_t y = 0; y < rect.height; ++y) {
        // Stored rows run bottom-up in both.
        const uint8_t* from =
            image.data() + start + (header.biHeight - 1 - (rect.top + y)) * fromStride;
        uint8_t* to = crop.data() + start + (rect.height - 1 - y) * toStride;
        if (bits == 8) {
            std::copy_n(from + rect.left, rect.width, to);
            continue;
        }
        for (int32_t x = 0; x < rect.width; ++x) {
            SetIndex(to, bits, x, IndexAt(from, bits, rect.left + x));
        }
    }
    return crop;
}

}  // namespace morvik
