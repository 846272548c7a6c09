#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "terrain/Terrain.h"
#include "terrain/TickSource.h"
#include "world/WorldTile.h"

namespace morvik {
namespace {

// A whole run's heights before its finish.
CellGrid WholeRunHeights(const RunSettings& settings) {
    FixedTickSource ticks(settings.tick);
    auto terrain = std::make_unique<Terrain>(ticks, settings.Size(), 2);
    terrain->StartGeneration(settings.Size(), settings.roughness, settings.seaShare, settings.width,
                             settings.height, settings.wrap);
    terrain->CompleteIterations(settings.Size());
    return terrain->Heights();
}

// Every region of a world, tiles sharing their edges as engines take them
// or cut anyhow, holds the whole run's heights cell for cell: plain, and
// wrapping one way or both, where circles cross the edges.
TEST(RegionHeights, AreTheWholeRunsCellForCell) {
    for (const Wrap wrap : {Wrap::kNone, Wrap::kX, Wrap::kXY}) {
        for (const auto& [width, height, tick] :
             {std::tuple{257, 193, 9000U}, std::tuple{120, 301, 400U}, std::tuple{64, 64, 5U}}) {
            const RunSettings settings{.width = width,
                                       .height = height,
                                       .roughness = 3,
                                       .seaShare = 5,
                                       .tick = tick,
                                       .wrap = wrap};
            const CellGrid whole = WholeRunHeights(settings);
            const WorldCircles circles = TakeWorldCircles(settings);
            const MapSize size = settings.Size();
            const std::vector<WorldRegion> regions{
                {0, 0, size},
                {0, 0, MapSize((width + 1) / 2, (height + 1) / 2)},
                {width / 2, height / 2, MapSize(width - width / 2, height - height / 2)},
                {width / 3, 1, MapSize(std::max(1, width / 3), height - 2)},
                {width - 1, height - 1, MapSize(1, 1)}};
            for (const WorldRegion& region : regions) {
                const CellGrid part = RegionHeights(circles, size, wrap, region);
                for (int32_t x = 0; x < region.size.Width(); ++x) {
                    for (int32_t y = 0; y < region.size.Height(); ++y) {
                        ASSERT_EQ(part.At(x, y), whole.At(region.left + x, region.top + y))
                            << width << " x " << height << ", wrap " << static_cast<int>(wrap)
                            << ", region at " << region.left << ", " << region.top << ": cell " << x
                            << ", " << y;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace morvik
