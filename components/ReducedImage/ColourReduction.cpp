#include "components/ReducedImage/ColourReduction.h"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>

#include "platform/ToolkitErrors.h"

namespace morvik {

namespace {

void RequireLevels(int32_t levels) {
    if (levels < kFewestLevels || levels > kMostLevels) {
        throw std::invalid_argument("a lattice has 2..32 levels per channel, not " +
                                    std::to_string(levels));
    }
}

// QuantiseColour and LatticeColour for levels already checked: the reducer
// checks once per pass, not once per pixel.
uint32_t Quantise(uint32_t colour, uint32_t level, int32_t dither) {
    const auto quantise = [level, dither](uint32_t v) {
        if (dither == kNoDither) return v * level / 256;
        return (static_cast<uint32_t>(dither) + 4 * (level - 1) * v / 255) / 4;
    };
    return quantise(colour & 0xFF) + level * quantise(colour >> 8 & 0xFF) +
           level * level * quantise(colour >> 16 & 0xFF);
}

uint32_t Lattice(uint32_t cell, uint32_t level) {
    const auto channel = [level](uint32_t q) { return q % level * 255 / (level - 1); };
    return channel(cell) | channel(cell / level) << 8 | channel(cell / level / level) << 16;
}

}  // namespace

uint32_t QuantiseColour(uint32_t colour, int32_t levels, int32_t dither) {
    RequireLevels(levels);
    return Quantise(colour, static_cast<uint32_t>(levels), dither);
}

uint32_t LatticeColour(uint32_t cell, int32_t levels) {
    RequireLevels(levels);
    return Lattice(cell, static_cast<uint32_t>(levels));
}

ColourReducer::ColourReducer(std::span<const uint8_t> source, int32_t outputBits)
    : source_(source), outputBits_(outputBits) {
    const BmpHeader header = ReadBmpHeader(source);
    width_ = header.biWidth;
    height_ = header.biHeight;
    const int64_t stride = BmpRowStride(outputBits, width_);
    // A result the headers cannot describe cannot be made at all.
    const int64_t largest = int64_t{kBmpHeadersSize} + 4 * kMostCounted + stride * height_;
    if (largest > std::numeric_limits<int32_t>::max()) throw EOutOfMemory();
    stride_ = static_cast<std::size_t>(stride);
    cells_.resize(std::size_t{kMostLevels} * kMostLevels * kMostLevels);
    sourceRow_.resize(static_cast<std::size_t>(width_));
    pixels_.resize(stride_ * static_cast<std::size_t>(height_));
}

int32_t ColourReducer::CountingPass(int32_t levels, bool dither) {
    RequireLevels(levels);
    std::fill(cells_.begin(), cells_.end(), Cell{.used = false, .index = 0});
    int32_t count = 0;
    for (int32_t y = 0; y < height_ && count <= kMostCounted; ++y) {
        DecodeRow(source_, y, sourceRow_.data());
        uint8_t* out = &pixels_[static_cast<std::size_t>(y) * stride_];
        for (int32_t x = 0; x < width_; ++x) {
            const int32_t offset = dither ? x % 2 + 2 * (y % 2) : kNoDither;
            Cell& cell = cells_[Quantise(sourceRow_[x], static_cast<uint32_t>(levels), offset)];
            if (!cell.used) cell = Cell{.used = true, .index = count++};
            const auto index = static_cast<uint8_t>(cell.index);
            if (outputBits_ == 8) {
                out[x] = index;
            } else if (cell.index < 16) {
                uint8_t& pair = out[x / 2];
                pair = x % 2 == 0 ? static_cast<uint8_t>(index << 4) : pair | index;
            }
        }
    }
    passLevels_ = levels;
    passCount_ = count;
    return count;
}

std::vector<uint8_t> IndexedBmpImage(int32_t width, int32_t height, int32_t bits, int32_t levels,
                                     std::span<const uint32_t> cells,
                                     std::span<const uint8_t> pixels) {
    RequireLevels(levels);
    const std::size_t tableSize = 4 * cells.size();
    const std::size_t offBits = kBmpHeadersSize + tableSize;
    std::vector<uint8_t> image(offBits + pixels.size());
    WriteBmpHeader(BmpHeader{.bfSize = static_cast<int32_t>(image.size()),
                             .bfOffBits = static_cast<int32_t>(offBits),
                             .biWidth = width,
                             .biHeight = height,
                             .biBitCount = static_cast<uint16_t>(bits),
                             .biClrUsed = static_cast<int32_t>(cells.size())},
                   image);
    for (std::size_t index = 0; index < cells.size(); ++index) {
        const uint32_t colour = Lattice(cells[index], static_cast<uint32_t>(levels));
        uint8_t* entry = &image[kBmpHeadersSize + 4 * index];
        entry[0] = static_cast<uint8_t>(colour);
        entry[1] = static_cast<uint8_t>(colour >> 8);
        entry[2] = static_cast<uint8_t>(colour >> 16);
    }
    std::copy(pixels.begin(), pixels.end(), image.begin() + static_cast<std::ptrdiff_t>(offBits));
    return image;
}

Reduction ColourReducer::Result(int32_t sourceColours) const {
    std::vector<uint32_t> table(static_cast<std::size_t>(passCount_));
    const auto cellCount = static_cast<uint32_t>(passLevels_ * passLevels_ * passLevels_);
    for (uint32_t cell = 0; cell < cellCount; ++cell) {
        if (cells_[cell].used) table[static_cast<std::size_t>(cells_[cell].index)] = cell;
    }
    return {.image = IndexedBmpImage(width_, height_, outputBits_, passLevels_, table, pixels_),
            .sourceColours = sourceColours,
            .colourCount = passCount_,
            .levels = passLevels_};
}

Reduction ReduceImage(std::span<const uint8_t> source, int32_t requested) {
    const int32_t wanted = std::clamp(requested, kFewestRequested, kMostRequested);
    try {
        ColourReducer reducer(source, ReducedBits(wanted));
        const int32_t sourceColours = MakeReductionPasses(wanted, [&](int32_t levels, bool dither) {
            return reducer.CountingPass(levels, dither);
        });
        return reducer.Result(sourceColours);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
    }
}

}  // namespace morvik
