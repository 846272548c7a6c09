#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "tools/OutputFile.h"

namespace morvik {

// Row y of a picture, 0 the top one, as PNG lays it out (pixels packed
// into bytes from the high bits down), but with 16-bit samples in the
// machine's own byte order: the encoder puts them in PNG's.
using PngRow = std::function<std::span<const std::byte>(int32_t y)>;

// What a pixel holds, when there is no palette: grey (8 or 16 bits), or
// 8-bit red, green and blue, then alpha for kRgba, in that order.
enum class PngColour { kGrey, kRgb, kRgba };

// A picture for a PNG file: samples of its colour, or indices into a
// palette of 0x00RRGGBB colours.
struct PngPicture {
    int32_t width;
    int32_t height;
    int32_t bitDepth;
    std::vector<uint32_t> palette;  // none but for indices
    PngColour colour = PngColour::kGrey;
};

// Encodes the picture into the file with libspng, row by row. Heights
// compress best with each sample taken from the one to its left, a
// map's indices from the one above, run-length only; masks and normals
// from their left, upper and upper-left neighbours (Paeth). Throws
// EOutputError, also for a depth the colour cannot have.
void WritePng(OutputFile& file, const PngPicture& picture, const PngRow& row,
              const WritingReport& report = {});

}  // namespace morvik
