#include "web/WebMap.h"

#include <gtest/gtest.h>

#include "components/ReducedImage/BmpImage.h"
#include "components/ReducedImage/ColourReduction.h"
#include "terrain/ERangeError.h"

namespace morvik {
namespace {

// The page's files are the run's: its BMP file is the run's picture
// reduced as the program saves it, its heightmap the run's; its canvas is
// the same colours, opaque. Its sizes are the program's windows'.
TEST(WebMap, GivesTheRunsFilesAndTheWindowsSizes) {
    const RunSettings settings{
        .width = 170, .height = 121, .roughness = 2, .seaShare = 3, .tick = 7654321};
    WebMap page(settings);
    while (page.TakeCircles(1000)) {
    }
    page.Finish();
    MapRun run(settings);
    std::optional<Heightmap> heights;
    run.Complete({}, [&] { heights = run.MakeHeightmap(); });
    for (const MapView view : {MapView::kColour, MapView::kCoastline}) {
        EXPECT_EQ(page.BmpFile(view), ReduceImage(run.Picture(view).image, kMostRequested).image);
    }
    EXPECT_EQ(page.Heights().values, heights->values);
    EXPECT_EQ(page.Heights().seaLevel, heights->seaLevel);
    const std::vector<uint8_t> pixels = page.CanvasPixels(MapView::kColour);
    ASSERT_EQ(pixels.size(), std::size_t{170} * 121 * 4);
    const ZeroedVector<uint8_t> picture = run.Picture(MapView::kColour).image;
    // The top-left cell: the BMP's last row, blue first; the canvas's first, red first.
    const std::size_t topLeft = ReadBmpHeader(picture).bfOffBits + std::size_t{120} * 170 * 4;
    EXPECT_EQ(pixels[0], picture[topLeft + 2]);
    EXPECT_EQ(pixels[2], picture[topLeft]);
    EXPECT_EQ(pixels[3], 0xFF) << "opaque";

    EXPECT_THROW(WebMap({.width = 159, .height = 120, .roughness = 1, .seaShare = 5, .tick = 1}),
                 ERangeError);
    EXPECT_THROW(WebMap({.width = 160, .height = 1025, .roughness = 1, .seaShare = 5, .tick = 1}),
                 ERangeError);
}

}  // namespace
}  // namespace morvik
