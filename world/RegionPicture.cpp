#include "world/RegionPicture.h"

#include <algorithm>

#include "components/ReducedImage/BmpImage.h"
#include "components/ReducedImage/ColourReduction.h"
#include "terrain/ColourTable.h"
#include "terrain/PixelView.h"
#include "terrain/SeaLevel.h"

namespace morvik {

namespace {

// The map's picture is a bottom-up BMP file image, blue first.
uint32_t PictureColour(uint32_t colour) { return InChannelOrder(colour, ChannelOrder::kBlueFirst); }

// Column or row `at` of a side of `side` cells, one beyond an edge taken
// across it where it wraps; none where it does not.
std::optional<int32_t> Beside(int32_t at, int32_t side, bool wraps) {
    if (at >= 0 && at < side) return at;
    if (!wraps) return std::nullopt;
    return (at + side) % side;
}

}  // namespace

RegionBorders BordersOf(WorldSize world, const WorldRegion& region, Wrap wrap) {
    const int32_t width = region.size.Width();
    const int32_t height = region.size.Height();
    RegionBorders borders;
    const auto column = [&](int32_t x) -> std::optional<WorldRegion> {
        const std::optional<int32_t> at = Beside(x, world.Width(), WrapsColumns(wrap));
        if (!at) return std::nullopt;
        return WorldRegion{*at, region.top, MapSize(1, height)};
    };
    const auto row = [&](int32_t y) -> std::optional<WorldRegion> {
        const std::optional<int32_t> at = Beside(y, world.Height(), WrapsRows(wrap));
        if (!at) return std::nullopt;
        return WorldRegion{region.left, *at, MapSize(width, 1)};
    };
    borders[kLeft] = column(region.left - 1);
    borders[kRight] = column(region.left + width);
    borders[kAbove] = row(region.top - 1);
    borders[kBelow] = row(region.top + height);
    return borders;
}

RegionPicture::RegionPicture(WorldSize world, const WorldRegion& region, const CellGrid& heights,
                             const WorldFinish& finish, MapView view,
                             const std::array<const CellGrid*, 4>& borderHeights)
    : world_(world), region_(region) {
    const int32_t width = region.size.Width();
    const int32_t height = region.size.Height();
    const Rescaling rescaled(finish.extremes);
    const auto finished = [&](int32_t cellHeight) { return rescaled(cellHeight) - finish.passes; };
    pixels_.resize(static_cast<std::size_t>(region.size.Cells()));
    if (view == MapView::kColour) {
        ColourTable table;
        table.Fill(ColourEndpoints);
        for (int32_t slot = 0; slot < ColourTable::kSlots; ++slot) {
            colours_.push_back(PictureColour(table.Colour(slot + ColourTable::kLowestHeight)));
        }
        for (int32_t x = 0; x < width; ++x) {
            const int32_t* column = heights.Column(x);
            for (int32_t y = 0; y < height; ++y) {
                pixels_[static_cast<std::size_t>(y) * width + x] =
                    static_cast<uint16_t>(ColourTable::SlotOf(finished(column[y])));
            }
        }
        return;
    }
    // The coastline: land beside sea, four ways, in black on white.
    colours_ = {PictureColour(0x000000), PictureColour(0xFFFFFF)};
    const auto land = [&](int32_t x, int32_t y) {
        const auto beyond = [&](Side side, int32_t along) {
            const CellGrid* border = borderHeights[side];
            if (!border) return std::optional<int32_t>();
            return std::optional<int32_t>(side == kLeft || side == kRight ? border->At(0, along)
                                                                          : border->At(along, 0));
        };
        std::optional<int32_t> cell;
        if (x < 0) cell = beyond(kLeft, y);
        if (x >= width) cell = beyond(kRight, y);
        if (y < 0) cell = beyond(kAbove, x);
        if (y >= height) cell = beyond(kBelow, x);
        const bool inside = x >= 0 && x < width && y >= 0 && y < height;
        // Beyond an edge that does not wrap, a cell is its own neighbour.
        if (!inside && !cell) return true;
        return finished(inside ? heights.At(x, y) : *cell) >= 1;
    };
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const bool coast = land(x, y) && (!land(x, y - 1) || !land(x - 1, y) ||
                                              !land(x + 1, y) || !land(x, y + 1));
            pixels_[static_cast<std::size_t>(y) * width + x] = coast ? 0 : 1;
        }
    }
}

std::vector<uint32_t> RegionPicture::CellsOfColours(int32_t levels, bool dither) const {
    std::vector<uint32_t> cells(colours_.size() * 4);
    for (std::size_t colour = 0; colour < colours_.size(); ++colour) {
        for (int32_t offset = 0; offset < 4; ++offset) {
            cells[colour * 4 + static_cast<std::size_t>(offset)] =
                QuantiseColour(colours_[colour], levels, dither ? offset : kNoDither);
        }
    }
    return cells;
}

int32_t RegionPicture::Offset(int32_t x, int32_t y) const {
    const int32_t storedRow = world_.Height() - 1 - (region_.top + y);
    return (region_.left + x) % 2 + 2 * (storedRow % 2);
}

void RegionPicture::LowerFirstPositions(int32_t levels, bool dither,
                                        std::span<int64_t> first) const {
    const std::vector<uint32_t> cells = CellsOfColours(levels, dither);
    const int32_t width = region_.size.Width();
    for (int32_t y = 0; y < region_.size.Height(); ++y) {
        const int64_t rowAt =
            (int64_t{world_.Height()} - 1 - (region_.top + y)) * world_.Width() + region_.left;
        const uint16_t* row = &pixels_[static_cast<std::size_t>(y) * width];
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t cell = cells[std::size_t{row[x]} * 4 + Offset(x, y)];
            first[cell] = std::min(first[cell], rowAt + x);
        }
    }
}

std::vector<uint8_t> RegionPicture::IndexedRows(int32_t levels, bool dither,
                                                std::span<const int32_t> indexOf,
                                                int32_t bits) const {
    const std::vector<uint32_t> cells = CellsOfColours(levels, dither);
    const int32_t width = region_.size.Width();
    const int32_t height = region_.size.Height();
    const auto stride = static_cast<std::size_t>(BmpRowStride(bits, width));
    std::vector<uint8_t> rows(stride * static_cast<std::size_t>(height), 0);
    for (int32_t y = 0; y < height; ++y) {
        const uint16_t* row = &pixels_[static_cast<std::size_t>(y) * width];
        uint8_t* out = &rows[static_cast<std::size_t>(height - 1 - y) * stride];
        for (int32_t x = 0; x < width; ++x) {
            const auto index =
                static_cast<uint8_t>(indexOf[cells[std::size_t{row[x]} * 4 + Offset(x, y)]]);
            if (bits == 8) {
                out[x] = index;
            } else {
                out[x / 2] |= static_cast<uint8_t>(x % 2 == 0 ? index << 4 : index);
            }
        }
    }
    return rows;
}

}  // namespace morvik
