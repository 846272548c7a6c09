#include "web/WebMap.h"

#include <gtest/gtest.h>

#include <cstring>

#include "components/ReducedImage/BmpImage.h"
#include "components/ReducedImage/ColourReduction.h"
#include "layers/WaterCells.h"
#include "terrain/ERangeError.h"

namespace morvik {
namespace {

void Finish(WebMap& page) {
    while (page.TakeCircles(1000)) {
    }
    page.Finish();
}

// The page's files are the run's: its BMP file is the run's picture
// reduced as the program saves it, its heightmap the run's; its canvas is
// the same colours, opaque.
TEST(WebMap, GivesTheRunsFiles) {
    const RunSettings settings{
        .width = 170, .height = 121, .roughness = 2, .seaShare = 3, .tick = 7654321};
    WebMap page(settings, false);
    Finish(page);
    MapRun run(settings);
    std::optional<Heightmap> heights;
    run.Complete({}, [&] { heights = run.MakeHeightmap(); });
    for (const MapView view : {MapView::kColour, MapView::kCoastline}) {
        EXPECT_EQ(page.BmpFile(view), ReduceImage(run.Picture(view).image, kMostRequested).image);
    }
    EXPECT_EQ(page.Heights().values, heights->values);
    EXPECT_EQ(page.Heights().seaLevel, heights->seaLevel);
    const std::vector<std::byte> samples = page.LayerRows({LayerKind::kHeightmap});
    ASSERT_EQ(samples.size(), heights->values.size() * 2);
    EXPECT_EQ(std::memcmp(samples.data(), heights->values.data(), samples.size()), 0);

    const std::vector<uint8_t> pixels = page.CanvasPixels(MapView::kColour, false);
    ASSERT_EQ(pixels.size(), std::size_t{170} * 121 * 4);
    const ZeroedVector<uint8_t> picture = run.Picture(MapView::kColour).image;
    // The top-left cell: the BMP's last row, blue first; the canvas's first, red first.
    const std::size_t topLeft = ReadBmpHeader(picture).bfOffBits + std::size_t{120} * 170 * 4;
    EXPECT_EQ(pixels[0], picture[topLeft + 2]);
    EXPECT_EQ(pixels[2], picture[topLeft]);
    EXPECT_EQ(pixels[3], 0xFF) << "opaque";
}

// Rivers are drawn as the batch tool draws them, from the water the
// eroded, wrapped land sheds; the relief shades the land and leaves the sea.
TEST(WebMap, DrawsRiversAndRelief) {
    const RunSettings settings{.width = 200,
                               .height = 150,
                               .roughness = 3,
                               .seaShare = 5,
                               .tick = 4242424,
                               .erosion = 10,
                               .wrap = Wrap::kX};
    WebMap page(settings, true);
    Finish(page);
    MapRun run(settings);
    run.KeepLayers();
    std::optional<LandLayers> layers;
    run.Complete({}, [&] {
        layers = run.MakeLayers();
        TraceWater(*layers, 1);
    });
    const ZeroedVector<uint8_t> water = WaterCells(*layers, layers->Size());
    EXPECT_EQ(page.BmpFile(MapView::kColour),
              ReduceImage(run.Picture(MapView::kColour, water).image, kMostRequested).image);
    EXPECT_NE(page.BmpFile(MapView::kColour),
              ReduceImage(run.Picture(MapView::kColour).image, kMostRequested).image)
        << "the rivers show";

    const std::vector<uint8_t> flat = page.CanvasPixels(MapView::kColour, false);
    const std::vector<uint8_t> shaded = page.CanvasPixels(MapView::kColour, true);
    int32_t landChanged = 0;
    for (std::size_t cell = 0; cell < layers->heightmap.values.size(); ++cell) {
        const bool same = std::memcmp(&flat[4 * cell], &shaded[4 * cell], 4) == 0;
        if (layers->IsSea(cell)) {
            ASSERT_TRUE(same) << "sea cell " << cell;
        } else {
            landChanged += !same;
        }
    }
    EXPECT_GT(landChanged, 1000);
}

// The page takes any size a browser holds, up to Unity's largest terrain,
// and says what an engine's pack cannot be.
TEST(WebMap, TakesSizesFromOneTo4097) {
    EXPECT_NO_THROW(
        WebMap({.width = 1, .height = 1, .roughness = 1, .seaShare = 5, .tick = 1}, false));
    EXPECT_NO_THROW(
        WebMap({.width = 4097, .height = 2, .roughness = 1, .seaShare = 5, .tick = 99999}, false));
    EXPECT_THROW(
        WebMap({.width = 4098, .height = 120, .roughness = 1, .seaShare = 5, .tick = 1}, false),
        ERangeError);
    EXPECT_THROW(
        WebMap({.width = 160, .height = 0, .roughness = 1, .seaShare = 5, .tick = 1}, false),
        ERangeError);

    WebMap page({.width = 257, .height = 257, .roughness = 1, .seaShare = 5, .tick = 99999}, false);
    Finish(page);
    EXPECT_EQ(page.PackFault(Engine::kUnity), std::nullopt);
    ASSERT_TRUE(page.PackFault(Engine::kUnreal).has_value());
    EXPECT_NE(page.PackFault(Engine::kUnreal)->find("253"), std::string::npos);
    EXPECT_NE(page.PackReadme(Engine::kGodot).find("257 x 257"), std::string::npos);
}

}  // namespace
}  // namespace morvik
