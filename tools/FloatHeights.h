#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "tools/OutputFile.h"

namespace morvik {

// Row y of a grid of heights in metres, 0 the top one: `width` values.
using FloatRow = std::function<std::span<const float>(int32_t y)>;

// Whether a name asks for raw float heights: it ends in .r32, in any case.
bool IsR32Name(const std::string& fileName);

// Writes a width x height grid of heights into `file`, to be committed by
// the caller: for a .r32 name, little-endian 32-bit floats with no header,
// row by row from the top; else an OpenEXR file of one 32-bit float channel
// "Y", scan lines, ZIP compression. The OpenEXR file is encoded twice, once
// to learn where its blocks fall and once into the file, so that it is
// never held in memory whole: each row is asked for twice. Throws
// EOutputError.
void WriteFloatHeights(OutputFile& file, int32_t width, int32_t height, const FloatRow& row,
                       const WritingReport& report = {});

// The same for a grid held whole, row by row from the top.
void WriteFloatHeights(OutputFile& file, int32_t width, int32_t height,
                       std::span<const float> heights, const WritingReport& report = {});

}  // namespace morvik
