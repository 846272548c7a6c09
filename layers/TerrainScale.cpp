#include "layers/TerrainScale.h"

#include <cmath>
#include <numbers>

namespace morvik {

namespace {

// The cells either side of `at` along a side of `cells`, and how many cells
// apart they are: across the edge where it wraps, else stopping at it.
struct Pair {
    int32_t before;
    int32_t after;
};
Pair Around(int32_t at, int32_t cells, bool wraps) {
    if (cells == 1) return {at, at};
    if (wraps) return {(at + cells - 1) % cells, (at + 1) % cells};
    return {at == 0 ? 0 : at - 1, at == cells - 1 ? at : at + 1};
}

int32_t Apart(Pair pair, bool wraps) { return wraps ? 2 : pair.after - pair.before; }

}  // namespace

Gradient GradientAt(const LandLayers& layers, const TerrainScale& scale, int32_t x, int32_t y) {
    const MapSize size = layers.Size();
    const bool wrapsX = WrapsColumns(layers.wrap) && size.Width() > 1;
    const bool wrapsY = WrapsRows(layers.wrap) && size.Height() > 1;
    const Pair across = Around(x, size.Width(), wrapsX);
    const Pair down = Around(y, size.Height(), wrapsY);
    const auto height = [&](int32_t atX, int32_t atY) {
        return scale.Metres(layers.heights[layers.Index(atX, atY)]);
    };
    const auto rise = [&](double from, double to, int32_t apart) {
        return apart == 0 ? 0.0 : (to - from) / (apart * scale.cell);
    };
    return {rise(height(across.before, y), height(across.after, y), Apart(across, wrapsX)),
            rise(height(x, down.before), height(x, down.after), Apart(down, wrapsY))};
}

double SlopeDegrees(const Gradient& gradient) {
    return std::atan(std::hypot(gradient.east, gradient.south)) * 180 / std::numbers::pi;
}

}  // namespace morvik
