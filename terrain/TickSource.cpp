#include "terrain/TickSource.h"

#include <chrono>

namespace morvik {

uint32_t SystemTickSource::Ticks() {
    using namespace std::chrono;
    const auto sinceBoot = duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
    return static_cast<uint32_t>(sinceBoot.count());
}

}  // namespace morvik
