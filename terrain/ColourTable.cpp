#include "terrain/ColourTable.h"

namespace morvik {

namespace {

// The colour i hundredths of the way from `from` to `to`, each channel rounded down.
uint32_t Blend(const Rgb& to, const Rgb& from, int32_t i) {
    const auto channel = [i](int32_t toValue, int32_t fromValue) {
        return static_cast<uint32_t>((toValue * i + fromValue * (100 - i)) / 100);
    };
    return channel(to.r, from.r) + channel(to.g, from.g) * 256 + channel(to.b, from.b) * 65536;
}

}  // namespace

void ColourTable::Fill(const ColourEndpointSet& endpoints) {
    for (int32_t i = 0; i <= 100; ++i) {
        slots_[i - kLowestHeight] = Blend(endpoints.landTop, endpoints.landBase, i);
        slots_[-i - kLowestHeight] = Blend(endpoints.seaDeep, endpoints.seaSurface, i);
    }
}

}  // namespace morvik
