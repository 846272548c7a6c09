#include "web/WebMap.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "components/ReducedImage/BmpImage.h"
#include "components/ReducedImage/ColourReduction.h"
#include "terrain/ERangeError.h"
#include "tools/GenerateMap.h"

namespace morvik {
namespace {

// The page's map, taken in batches of any size, is the batch tool's run:
// the same BMP file in both views and the same heightmap.
TEST(WebMap, MakesTheBatchToolsMapInSteps) {
    for (const WebSettings settings :
         {WebSettings{160, 120, 1, 5, 123456}, WebSettings{301, 177, 4, 2, 4000000000U}}) {
        WebMap map(settings);
        EXPECT_TRUE(map.TakeCircles(0)) << "circles remain";
        EXPECT_EQ(map.IterationsDone(), 0);
        EXPECT_THROW(map.Finish(), ERangeError) << "not before the last circle";
        EXPECT_THROW(map.BmpFile(false), ERangeError) << "no file before the finish";
        for (int32_t batch = 1; map.TakeCircles(batch); batch = batch * 3 + 1) {
        }
        EXPECT_EQ(map.IterationsDone(), map.TotalIterations());
        map.Finish();

        const MapSize size(settings.width, settings.height);
        std::optional<Heightmap> expectedHeights;
        for (const bool coastline : {false, true}) {
            const GeneratedMap expected = GenerateMap({
                .size = size,
                .roughness = settings.roughness,
                .seaShare = settings.seaShare,
                .tick = settings.tick,
                .coastline = coastline,
                .heightmap = [&](Heightmap&& heights) { expectedHeights = std::move(heights); },
            });
            EXPECT_EQ(map.BmpFile(coastline), ReduceImage(expected.picture, kMostRequested).image)
                << (coastline ? "coastline" : "colour") << " view";
        }
        ASSERT_TRUE(expectedHeights);
        EXPECT_EQ(map.Heights().values, expectedHeights->values);
        EXPECT_EQ(map.Heights().seaLevel, expectedHeights->seaLevel);
        // The canvas shows the colours the file holds before its reduction.
        const std::vector<uint8_t> pixels = map.CanvasPixels(false);
        ASSERT_EQ(pixels.size(), static_cast<std::size_t>(size.Cells()) * 4);
        EXPECT_EQ(pixels[3], 0xFF) << "opaque";
    }
}

TEST(WebMap, RefusesSettingsBeyondTheProgramsLimits) {
    const WebLimits limits = Limits();
    EXPECT_EQ(limits.leastWidth, 160);
    EXPECT_EQ(limits.mostHeight, 1024);
    for (const WebSettings settings :
         {WebSettings{159, 120, 1, 5, 1}, WebSettings{160, 1025, 1, 5, 1},
          WebSettings{160, 120, 0, 5, 1}, WebSettings{160, 120, 1, 10, 1}}) {
        EXPECT_THROW(WebMap{settings}, ERangeError);
    }
}

}  // namespace
}  // namespace morvik
