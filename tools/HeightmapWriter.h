#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <thread>

#include "terrain/Heightmap.h"
#include "tools/ProgressLine.h"
#include "tools/RunOutput.h"

namespace morvik {

// Writes the heightmap on a thread of its own from the moment it is made,
// while the map is finished and reduced; on the caller's thread where no
// thread can be started. An error waits for Join.
class HeightmapWriter {
  public:
    HeightmapWriter(RunOutput& output, ProgressLine& progress)
        : output_(output), progress_(progress) {}
    HeightmapWriter(const HeightmapWriter&) = delete;
    HeightmapWriter& operator=(const HeightmapWriter&) = delete;

    void Start(Heightmap&& heightmap);

    // Once the files are written in full; throws what stopped them.
    void Join();

    uint16_t SeaLevel() const { return seaLevel_; }

  private:
    void Write(const Heightmap& heightmap);

    RunOutput& output_;
    ProgressLine& progress_;
    uint16_t seaLevel_ = 0;
    std::optional<Heightmap> heightmap_;
    std::exception_ptr error_;
    std::jthread thread_;  // last: joined before the rest goes
};

}  // namespace morvik
