#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "terrain/Terrain.h"

namespace morvik {
namespace {

using Picture = std::vector<std::string>;

// Maps are drawn as text: '#' is land (height 1), '.' sea (height 0), digits
// other heights. Coastline pictures: 'X' black, ' ' white.
class Coastline : public testing::Test {
  protected:
    MapSize Load(const Picture& map) {
        const MapSize size(static_cast<int32_t>(map[0].size()), static_cast<int32_t>(map.size()));
        for (int32_t y = 0; y < size.Height(); ++y) {
            for (int32_t x = 0; x < size.Width(); ++x) {
                const char c = map[y][x];
                terrain->SetHeight(x, y, c == '#' ? 1 : c == '.' ? 0 : c - '0');
            }
        }
        return size;
    }

    Picture Draw(MapSize size) {
        std::vector<uint32_t> pixels(size.Cells());
        terrain->RenderCoastline(PixelView(pixels.data(), size.Width(), size));
        Picture picture(size.Height(), std::string(size.Width(), '?'));
        for (int32_t y = 0; y < size.Height(); ++y) {
            for (int32_t x = 0; x < size.Width(); ++x) {
                const uint32_t pixel = pixels[y * size.Width() + x];
                picture[y][x] = pixel == 0 ? 'X' : pixel == 0xFFFFFF ? ' ' : '?';
            }
        }
        return picture;
    }

    Picture Coast(const Picture& map) { return Draw(Load(map)); }

    FixedTickSource ticks{0};
    std::unique_ptr<Terrain> terrain = std::make_unique<Terrain>(ticks, kLargestProgramMap);
};

TEST_F(Coastline, OnlySideNeighboursInsideTheMapCount) {
    EXPECT_EQ(Coast({"...", ".#.", "..."}), (Picture{"   ", " X ", "   "}));
    EXPECT_EQ(Coast({"###", "#.#", "###"}), (Picture{" X ", "X X", " X "}))
        << "a land cell with sea only on a diagonal stays white";
    EXPECT_EQ(Coast({"####", "####"}), (Picture{"    ", "    "})) << "the border is not sea";
    EXPECT_EQ(Coast({"....", "...."}), (Picture{"    ", "    "}));
}

TEST_F(Coastline, HeightZeroIsSeaAndOneIsLand) {
    EXPECT_EQ(Coast({"9#0", "5#7", "2#3"}), (Picture{" X ", "  X", "   "}));
}

TEST_F(Coastline, SingleRowsAndColumnsStayInside) {
    EXPECT_EQ(Coast({"##.##.#"}), (Picture{" X XX X"}));
    EXPECT_EQ(Coast({"#", "#", ".", "#"}), (Picture{" ", "X", " ", "X"}));
    EXPECT_EQ(Coast({"#"}), (Picture{" "}));
}

TEST_F(Coastline, NeighboursAcrossAWrappedEdgeCount) {
    const Picture map{"####.", "#####", "#####"};
    const auto coastWrapping = [&](Wrap wrap) {
        terrain->StartGeneration(MapSize(5, 3), 1, 1, 5, 3, wrap);
        return Coast(map);
    };
    EXPECT_EQ(coastWrapping(Wrap::kNone), (Picture{"   X ", "    X", "     "}));
    EXPECT_EQ(coastWrapping(Wrap::kX), (Picture{"X  X ", "    X", "     "}));
    EXPECT_EQ(coastWrapping(Wrap::kXY), (Picture{"X  X ", "    X", "    X"}));
    terrain->StartGeneration(MapSize(1, 2), 1, 1, 1, 2, Wrap::kXY);
    EXPECT_EQ(Coast({"#", "."}), (Picture{"X", " "})) << "a single column is its own neighbour";
}

TEST_F(Coastline, LeavesTheHeightsAsTheyWereAndKeepsACopy) {
    const Picture map{"..#3#..", ".#####.", "..#9...", "......."};
    const MapSize size = Load(map);
    std::vector<uint32_t> colours(size.Cells()), again(size.Cells());
    terrain->BuildColourTable();
    terrain->RenderMap(PixelView(colours.data(), size.Width(), size));

    const Picture first = Draw(size);
    EXPECT_EQ(first, (Picture{"  X X  ", " X  XX ", "  XX   ", "       "}));
    EXPECT_EQ(Draw(size), first);
    for (int32_t x = 0; x < size.Width(); ++x) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            EXPECT_EQ(terrain->Scratch()->At(x, y), terrain->Heights().At(x, y));
        }
    }
    terrain->RenderMap(PixelView(again.data(), size.Width(), size));
    EXPECT_EQ(again, colours);
}

}  // namespace
}  // namespace morvik
