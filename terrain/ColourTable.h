#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace morvik {

struct Rgb {
    int32_t R;
    int32_t G;
    int32_t B;
};

// The four colours the table blends between.
struct ColourEndpointSet {
    Rgb LandTop;     // height 100
    Rgb LandBase;    // the land end of the blend at height 0
    Rgb SeaSurface;  // height 0
    Rgb SeaDeep;     // height -100
};

inline constexpr ColourEndpointSet ColourEndpoints{
    .LandTop = {120, 0, 0},
    .LandBase = {128, 240, 128},
    .SeaSurface = {60, 96, 240},
    .SeaDeep = {16, 32, 32},
};

// One 0x00BBGGRR colour per height from -200 to 200. Only -100..100 are ever
// filled; the rest stay black.
class ColourTable {
  public:
    static constexpr int32_t LowestHeight = -200;
    static constexpr int32_t HighestHeight = 200;

    // Heights beyond the table take the colour of its nearest end slot.
    uint32_t Colour(int32_t height) const {
        return slots_[std::clamp(height, LowestHeight, HighestHeight) - LowestHeight];
    }

    // Blends the slots -100..100 between the endpoints. Slot 0 ends with the
    // sea surface colour: height 0 is sea.
    void Fill(const ColourEndpointSet& endpoints);

  private:
    std::array<uint32_t, HighestHeight - LowestHeight + 1> slots_{};
};

}  // namespace morvik
