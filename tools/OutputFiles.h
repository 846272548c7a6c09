#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "tools/OutputFile.h"
#include "tools/PngFile.h"

namespace morvik {

// What a file's name asks for, by its ending in any case.
bool IsPngName(const std::string& fileName);
bool IsHeightmapName(const std::string& fileName);     // .png, .r16 or .raw
bool IsFloatHeightsName(const std::string& fileName);  // .exr or .r32
bool IsExrName(const std::string& fileName);
bool IsRawHeightmapName(const std::string& fileName);  // .r16 or .raw

// Each writes a whole file into `file`, to be committed by the caller, and
// throws EOutputError when it cannot.

// Rows of `width` 16-bit values in the machine's order, as a 16-bit
// grayscale PNG for a .png name, else little-endian with no header; row by
// row as `row` gives them.
void WriteHeightmapRows(int32_t width, int32_t height, const PngRow& row, OutputFile& file,
                        const WritingReport& report = {});
void WriteRawHeightmapRows(int32_t width, int32_t height, const PngRow& row, OutputFile& file,
                           const WritingReport& report = {});

// Text, whole: a README, a report's JSON, a mosaic.
void WriteText(const std::string& text, OutputFile& file);

// A reduced BMP file image (4 or 8 bits a pixel, a colour table), as it is
// or, for a .png name, as a palette PNG: the same palette in its order, and
// the same indices.
void WriteMapImage(std::span<const uint8_t> bmpImage, OutputFile& file,
                   const WritingReport& report = {});

}  // namespace morvik
