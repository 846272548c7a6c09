#include "run/MapRun.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "terrain/ERangeError.h"

namespace morvik {
namespace {

// Everything a run makes.
struct Products {
    std::vector<uint8_t> colour;
    std::vector<uint8_t> coastline;
    std::vector<uint16_t> heights;
    uint16_t seaLevel;
    int32_t seaCells;
    int32_t loweringPasses;
};

Products Take(MapRun& run, const Heightmap& heightmap) {
    const auto image = [&](MapView view) {
        const MapPicture picture = run.Picture(view);
        return std::vector<uint8_t>(picture.image.begin(), picture.image.end());
    };
    return {image(MapView::kColour),
            image(MapView::kCoastline),
            std::vector<uint16_t>(heightmap.values.begin(), heightmap.values.end()),
            heightmap.seaLevel,
            run.SeaCells(),
            run.LoweringPasses()};
}

void ExpectSame(const Products& made, const Products& expected) {
    EXPECT_EQ(made.colour, expected.colour);
    EXPECT_EQ(made.coastline, expected.coastline);
    EXPECT_EQ(made.heights, expected.heights);
    EXPECT_EQ(made.seaLevel, expected.seaLevel);
    EXPECT_EQ(made.seaCells, expected.seaCells);
    EXPECT_EQ(made.loweringPasses, expected.loweringPasses);
}

// Whatever batches a front end takes the circles in, and on any number of
// threads, a run makes the same map, pictures and heightmap; and a whole
// run tells its steps in order, each share growing to the end.
TEST(MapRun, AnyBatchesAndThreadsMakeTheSameProducts) {
    for (const RunSettings& settings :
         {RunSettings{.width = 160, .height = 120, .roughness = 1, .seaShare = 5, .tick = 123456},
          RunSettings{.width = 301,
          .height = 177,
          .roughness = 4,
          .seaShare = 2,
          .tick = 4000000000U,
          .erosion = 3,
          .wrap = Wrap::kX}}) {
        SCOPED_TRACE(settings.width);
        MapRun whole(settings);
        std::optional<Heightmap> wholeHeights;
        std::vector<std::pair<RunStep, double>> told;
        whole.Complete([&](RunStep step, double share) { told.emplace_back(step, share); },
                       [&] { wholeHeights = whole.MakeHeightmap(); });
        ASSERT_TRUE(wholeHeights);
        const Products expected = Take(whole, *wholeHeights);
        ASSERT_FALSE(told.empty());
        EXPECT_EQ(told.back(), std::pair(RunStep::kDone, 1.0));
        for (std::size_t i = 1; i < told.size(); ++i) {
            ASSERT_LE(told[i - 1].first, told[i].first) << "steps in order";
            if (told[i - 1].first == told[i].first) {
                EXPECT_LE(told[i - 1].second, told[i].second) << "shares grow";
            }
        }
        EXPECT_EQ(told.front().first, RunStep::kCircles);
        EXPECT_EQ(std::count_if(told.begin(), told.end(),
                                [](const auto& t) { return t.first == RunStep::kErosion; }) > 0,
                  settings.erosion.has_value())
            << "erosion is told only when there is one";

        for (const int32_t threads : {1, 3}) {
            MapRun stepped(settings, threads);
            EXPECT_TRUE(stepped.TakeCircles(0));
            EXPECT_EQ(stepped.Job().IterationsDone, 0);
            for (int32_t batch = 1; stepped.TakeCircles(batch); batch = batch * 3 + 1) {
            }
            EXPECT_EQ(stepped.Job().IterationsDone, stepped.Job().TotalIterations);
            EXPECT_EQ(stepped.Step(), RunStep::kErosion);
            stepped.ShapeLand();
            const Heightmap heights = stepped.MakeHeightmap();
            stepped.Finish();
            ExpectSame(Take(stepped, heights), expected);
        }
    }
}

// A step out of its order is refused, and leaves the run where it was.
TEST(MapRun, RefusesStepsOutOfOrder) {
    MapRun run({.width = 40, .height = 30, .roughness = 1, .seaShare = 5, .tick = 99999});
    EXPECT_THROW(run.ShapeLand(), ERangeError);
    EXPECT_THROW(run.MakeHeightmap(), ERangeError);
    EXPECT_THROW(run.Finish(), ERangeError);
    EXPECT_THROW(run.Picture(MapView::kColour), ERangeError);
    EXPECT_THROW(run.SeaCells(), ERangeError);
    EXPECT_EQ(run.Step(), RunStep::kCircles);
    run.Complete();
    EXPECT_THROW(run.TakeCircles(1), ERangeError);
    EXPECT_THROW(run.MakeHeightmap(), ERangeError) << "the heights are finished";
    EXPECT_EQ(run.Step(), RunStep::kDone);
    run.Complete();  // nothing left to do
    EXPECT_NO_THROW(run.Picture(MapView::kCoastline));
}

// Settings beyond the limits are refused before anything is made, with the
// setting named; the program's window sizes are a narrower set.
TEST(MapRun, RefusesSettingsBeyondTheLimitsNamingThem) {
    const RunSettings fine{.width = 160, .height = 120, .roughness = 1, .seaShare = 5, .tick = 1};
    const auto refusal = [](const RunSettings& settings, const RunLimits& limits) -> std::string {
        try {
            MapRun run(settings, 1, limits);
        } catch (const ERangeError& error) {
            return error.what();
        }
        return "";
    };
    const std::vector<std::pair<RunSettings, std::string>> cases{
        {{.width = 0, .height = 120, .roughness = 1, .seaShare = 5, .tick = 1}, "the width is 0"},
        {{.width = 160, .height = 16386, .roughness = 1, .seaShare = 5, .tick = 1}, "the height"},
        {{.width = 160, .height = 120, .roughness = 6, .seaShare = 5, .tick = 1}, "roughness"},
        {{.width = 160, .height = 120, .roughness = 1, .seaShare = 0, .tick = 1}, "sea share"},
        {{.width = 160, .height = 120, .roughness = 1, .seaShare = 5, .tick = 1, .erosion = 101},
         "the erosion is 101, outside 1..100"}};
    for (const auto& [settings, named] : cases) {
        EXPECT_NE(refusal(settings, Limits()).find(named), std::string::npos) << named;
    }
    EXPECT_EQ(refusal(fine, Limits()), "");
    EXPECT_EQ(refusal(fine, WindowLimits()), "");
    RunSettings small = fine;
    small.width = 159;
    EXPECT_EQ(refusal(small, Limits()), "");
    EXPECT_NE(refusal(small, WindowLimits()).find("the width is 159, outside 160..1280"),
              std::string::npos);
    EXPECT_NO_THROW(CheckSettings(Limits().defaults));
}

}  // namespace
}  // namespace morvik
