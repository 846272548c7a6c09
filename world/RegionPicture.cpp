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

}  // namespace

RegionPicture::RegionPicture(WorldSize world, const GrownRegion& grown, const CellGrid& heights,
                             const WorldFinish& finish, MapView view,
                             std::span<const uint8_t> water)
    : world_(world), region_(grown.Region()) {
    DrawLand(grown, heights, finish, view);
    if (water.empty()) return;
    ColourTable table;
    table.Fill(ColourEndpoints);
    const uint32_t surface = PictureColour(table.Colour(0));
    const auto at = std::find(colours_.begin(), colours_.end(), surface);
    const auto index = static_cast<uint16_t>(at - colours_.begin());
    if (at == colours_.end()) colours_.push_back(surface);
    for (std::size_t cell = 0; cell < pixels_.size(); ++cell) {
        if (water[cell] != 0) pixels_[cell] = index;
    }
}

void RegionPicture::DrawLand(const GrownRegion& grown, const CellGrid& heights,
                             const WorldFinish& finish, MapView view) {
    const int32_t width = region_.size.Width();
    const int32_t height = region_.size.Height();
    const auto finished = [&](int32_t x, int32_t y) {
        return finish.Finished(heights.At(grown.Left() + x, grown.Above() + y));
    };
    pixels_.resize(static_cast<std::size_t>(region_.size.Cells()));
    if (view == MapView::kColour) {
        ColourTable table;
        table.Fill(ColourEndpoints);
        for (int32_t slot = 0; slot < ColourTable::kSlots; ++slot) {
            colours_.push_back(PictureColour(table.Colour(slot + ColourTable::kLowestHeight)));
        }
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                pixels_[static_cast<std::size_t>(y) * width + x] =
                    static_cast<uint16_t>(ColourTable::SlotOf(finished(x, y)));
            }
        }
        return;
    }
    // The coastline: land beside sea, four ways, in black on white. Beyond
    // the grown region, the world's edge: a cell is its own neighbour.
    colours_ = {PictureColour(0x000000), PictureColour(0xFFFFFF)};
    const MapSize size = grown.Size();
    const auto land = [&](int32_t x, int32_t y, int32_t besideX, int32_t besideY) {
        const int32_t atX = grown.Left() + besideX;
        const int32_t atY = grown.Above() + besideY;
        const bool within = atX >= 0 && atX < size.Width() && atY >= 0 && atY < size.Height();
        return (within ? finished(besideX, besideY) : finished(x, y)) >= 1;
    };
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const bool coast =
                land(x, y, x, y) && (!land(x, y, x, y - 1) || !land(x, y, x - 1, y) ||
                                     !land(x, y, x + 1, y) || !land(x, y, x, y + 1));
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
