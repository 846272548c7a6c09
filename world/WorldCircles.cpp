#include "world/WorldCircles.h"

#include "terrain/RandomSource.h"

namespace morvik {

WorldCircles TakeWorldCircles(const RunSettings& settings) {
    const MapSize size = settings.Size();
    const int64_t iterations =
        int64_t{settings.roughness} * (int64_t{settings.width} * settings.height / 50) +
        int64_t{settings.roughness} * 400;
    WorldCircles world;
    world.circles.reserve(static_cast<std::size_t>(iterations));
    RandomSource random;
    const auto take = [&] { return static_cast<int32_t>(random.RandomBelow(settings.tick)); };
    for (int64_t i = 0; i < iterations; ++i) {
        // Four separate statements: the numbers must be taken in this order.
        const int32_t d1 = take();
        const int32_t d2 = take();
        const int32_t d3 = take();
        const int32_t d4 = take();
        const Circle circle = CircleFromNumbers(size, d1, d2, d3, d4);
        world.forAll -= circle.sign;
        world.circles.push_back(circle);
    }
    return world;
}

}  // namespace morvik
