#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace morvik {

struct Rgb {
    int32_t r;
    int32_t g;
    int32_t b;
};

// The four colours the table blends between.
struct ColourEndpointSet {
    Rgb landTop;     // height 100
    Rgb landBase;    // the land end of the blend at height 0
    Rgb seaSurface;  // height 0
    Rgb seaDeep;     // height -100
};

inline constexpr ColourEndpointSet ColourEndpoints{
    .landTop = {120, 0, 0},
    .landBase = {128, 240, 128},
    .seaSurface = {60, 96, 240},
    .seaDeep = {16, 32, 32},
};

// One 0x00BBGGRR colour per height from -200 to 200. Only -100..100 are ever
// filled; the rest stay black.
class ColourTable {
  public:
    static constexpr int32_t kLowestHeight = -200;
    static constexpr int32_t kHighestHeight = 200;

    static constexpr int32_t kSlots = kHighestHeight - kLowestHeight + 1;

    // Heights beyond the table take its nearest end slot.
    static int32_t SlotOf(int32_t height) {
        return std::clamp(height, kLowestHeight, kHighestHeight) - kLowestHeight;
    }

    uint32_t Colour(int32_t height) const { return slots_[SlotOf(height)]; }

    // Blends the slots -100..100 between the endpoints. Slot 0 ends with the
    // sea surface colour: height 0 is sea.
    void Fill(const ColourEndpointSet& endpoints);

  private:
    std::array<uint32_t, kSlots> slots_{};
};

}  // namespace morvik
