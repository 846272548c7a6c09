#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "components/ReducedImage/BmpImage.h"

namespace morvik {

inline constexpr int32_t kNoDither = -1;

// The lattices a reduction works on: 2 to 32 levels per channel. Every
// operation below that takes a level count throws std::invalid_argument for
// any other.
inline constexpr int32_t kFewestLevels = 2;
inline constexpr int32_t kMostLevels = 32;

// The lattice cell of a colour at `levels` levels per channel, undithered or
// with a 2 x 2 ordered dither offset 0..3. The colour's top byte is ignored.
uint32_t QuantiseColour(uint32_t colour, int32_t levels, int32_t dither);

// The colour at the centre of a lattice cell, as a colour table entry.
uint32_t LatticeColour(uint32_t cell, int32_t levels);

// A reduced image and how it was made.
struct Reduction {
    std::vector<uint8_t> image;
    int32_t sourceColours = 0;  // 15-bit cells in the source, or where counting stopped above 256
    int32_t colourCount = 0;
    int32_t levels = 0;
};

// A pass stops counting after the row that takes it past this many.
inline constexpr int32_t kMostCounted = 256;

// The range of colour counts a reduction can be asked for.
constexpr int32_t kFewestRequested = 8;
constexpr int32_t kMostRequested = 256;

// The bits a pixel of a reduction to `wanted` colours: 8 above 16 colours,
// else 4.
inline int32_t ReducedBits(int32_t wanted) { return wanted > 16 ? 8 : 4; }

// The passes a reduction to at most `wanted` colours makes: undithered at 32
// levels if that fits, else dithered at 32, else dithered at the most levels
// a bisection finds to fit. countPass(levels, dither) makes a pass and
// returns its count, for an image held whole or in parts; the last pass it
// makes is the one the reduction keeps. Returns the first pass's count.
template <typename CountPass>
int32_t MakeReductionPasses(int32_t wanted, CountPass countPass) {
    const int32_t sourceColours = countPass(kMostLevels, false);
    if (sourceColours <= wanted || countPass(kMostLevels, true) <= wanted) return sourceColours;
    // The count grows with the levels: find the most levels that fit.
    int32_t lo = kFewestLevels;
    int32_t hi = kMostLevels;
    int32_t last = 0;
    while (hi > lo + 1) {
        const int32_t mid = (lo + hi) / 2;
        (countPass(mid, true) > wanted ? hi : lo) = mid;
        last = mid;
    }
    if (last != lo) countPass(lo, true);
    return sourceColours;
}

// The source reduced to at most `requested` colours (clamped to 8..256), by
// MakeReductionPasses, in ReducedBits. The source must be a valid BMP file
// image. Throws EOutOfMemory when the work or the result cannot be held.
Reduction ReduceImage(std::span<const uint8_t> source, int32_t requested);

// A reduced image as a BMP file image: `pixels` its stored rows, bottom-up,
// of `bits` (4 or 8) a pixel, and `cells` the lattice cell at `levels` of
// each colour table entry in turn.
std::vector<uint8_t> IndexedBmpImage(int32_t width, int32_t height, int32_t bits, int32_t levels,
                                     std::span<const uint32_t> cells,
                                     std::span<const uint8_t> pixels);

// The passes of one reduction over one source, sharing their buffers.
class ColourReducer {
  public:
    ColourReducer(std::span<const uint8_t> source, int32_t outputBits);

    // Maps every pixel to its cell and numbers the cells in the order the
    // scan meets them, writing those numbers as the output pixels. Stops
    // after the first row that takes the count above 256. Returns the count.
    int32_t CountingPass(int32_t levels, bool dither);

    // The image made by the last pass, which must have counted at most 256.
    Reduction Result(int32_t sourceColours) const;

  private:
    struct Cell {
        bool used;
        int32_t index;
    };

    std::span<const uint8_t> source_;
    int32_t width_;
    int32_t height_;
    int32_t outputBits_;
    std::size_t stride_;
    std::vector<Cell> cells_;
    std::vector<uint32_t> sourceRow_;
    std::vector<uint8_t> pixels_;
    int32_t passLevels_ = 0;
    int32_t passCount_ = 0;
};

}  // namespace morvik
