#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/BmpInput.h"

namespace morvik {

// A heightmap the user gives: width x height values, row by row from the
// top; 0..65535 from a PNG or .r16 file, as stored from an OpenEXR one.
struct HeightmapInput {
    int32_t width;
    int32_t height;
    std::vector<float> values;
};

// Each side of a given heightmap is 2..MapSize::kLargestSide: a slope needs
// two cells each way.
inline constexpr int32_t kSmallestInputSide = 2;

// Each reader checks the file's header and length before it reads the
// rest, so that a huge or endless input is refused at bounded cost, and
// throws EInputError with a one-line message that names the file.

// A 16-bit grayscale PNG file, decoded with libspng; any other PNG is
// refused, saying what it is.
HeightmapInput ReadPngHeightmap(const std::string& name);

// Little-endian 16-bit values with no header, exactly width x height of
// them.
HeightmapInput ReadR16Heightmap(const std::string& name, int32_t width, int32_t height);

// An OpenEXR file of one channel, or with a channel Y or R, taken in that
// order; every value must be finite.
HeightmapInput ReadExrHeightmap(const std::string& name);

}  // namespace morvik
