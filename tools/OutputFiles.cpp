#include "tools/OutputFiles.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "components/ReducedImage/BmpImage.h"
#include "tools/PngFile.h"

namespace morvik {

namespace {

constexpr std::size_t kSlice = std::size_t{1} << 20;

// The stored rows run from the bottom up, padded to 4 bytes; a PNG row is
// the same bits from the top down, unpadded.
void WriteMapPng(std::span<const uint8_t> image, OutputFile& file, const WritingReport& report) {
    const BmpHeader header = ReadBmpHeader(image);
    std::vector<uint32_t> palette(static_cast<std::size_t>(header.biClrUsed));
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const std::size_t at = kBmpHeadersSize + 4 * i;
        palette[i] = uint32_t{image[at + 2]} << 16 | uint32_t{image[at + 1]} << 8 | image[at];
    }
    const int64_t stride = BmpRowStride(header.biBitCount, header.biWidth);
    const auto rowBytes =
        static_cast<std::size_t>((int64_t{header.biBitCount} * header.biWidth + 7) / 8);
    const auto storedRow = [&](int32_t y) {
        const auto at =
            static_cast<std::size_t>(header.bfOffBits + (header.biHeight - 1 - y) * stride);
        return std::as_bytes(image.subspan(at, rowBytes));
    };
    WritePng(file,
             {.width = header.biWidth,
              .height = header.biHeight,
              .bitDepth = header.biBitCount,
              .palette = std::move(palette)},
             storedRow, report);
}

}  // namespace

namespace {

// Whether the name ends in `ending` (lower case), in any case.
bool EndsIn(const std::string& name, std::string_view ending) {
    if (name.size() < ending.size()) return false;
    return std::equal(
        ending.begin(), ending.end(), name.end() - static_cast<std::ptrdiff_t>(ending.size()),
        [](char wanted, char given) {
            return wanted == (given >= 'A' && given <= 'Z' ? given - 'A' + 'a' : given);
        });
}

}  // namespace

bool IsPngName(const std::string& fileName) { return EndsIn(fileName, ".png"); }

bool IsHeightmapName(const std::string& fileName) {
    return IsPngName(fileName) || IsRawHeightmapName(fileName);
}

bool IsFloatHeightsName(const std::string& fileName) {
    return IsExrName(fileName) || EndsIn(fileName, ".r32");
}

bool IsExrName(const std::string& fileName) { return EndsIn(fileName, ".exr"); }

bool IsRawHeightmapName(const std::string& fileName) {
    return EndsIn(fileName, ".r16") || EndsIn(fileName, ".raw");
}

void WriteHeightmapRows(int32_t width, int32_t height, const PngRow& row, OutputFile& file,
                        const WritingReport& report) {
    if (IsPngName(file.Name())) {
        WritePng(file, {.width = width, .height = height, .bitDepth = 16, .palette = {}}, row,
                 report);
    } else {
        WriteRawHeightmapRows(width, height, row, file, report);
    }
}

void WriteRawHeightmapRows(int32_t width, int32_t height, const PngRow& row, OutputFile& file,
                           const WritingReport& report) {
    std::vector<uint8_t> bytes(static_cast<std::size_t>(width) * 2);
    for (int32_t y = 0; y < height; ++y) {
        const std::span<const std::byte> samples = row(y);
        for (int32_t x = 0; x < width; ++x) {
            uint16_t value;
            std::memcpy(&value, &samples[2 * static_cast<std::size_t>(x)], 2);
            bytes[2 * x] = static_cast<uint8_t>(value);
            bytes[2 * x + 1] = static_cast<uint8_t>(value >> 8);
        }
        file.Write(bytes);
        if (report) report(static_cast<double>(y + 1) / height);
    }
}

void WriteMapImage(std::span<const uint8_t> bmpImage, OutputFile& file,
                   const WritingReport& report) {
    if (IsPngName(file.Name())) {
        WriteMapPng(bmpImage, file, report);
        return;
    }
    for (std::size_t first = 0; first < bmpImage.size(); first += kSlice) {
        const std::size_t end = std::min(bmpImage.size(), first + kSlice);
        file.Write(bmpImage.subspan(first, end - first));
        if (report) report(static_cast<double>(end) / bmpImage.size());
    }
}

void WriteText(const std::string& text, OutputFile& file) {
    file.Write({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    file.Finish();
}

}  // namespace morvik
