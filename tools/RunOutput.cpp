#include "tools/RunOutput.h"

#include <sys/resource.h>

#include <algorithm>
#include <stdexcept>

namespace morvik {

RunOutput::RunOutput(OutputSet& set, const std::string& name) { files_.push_back(&set.Open(name)); }

RunOutput::RunOutput(OutputSet& set, const std::string& name, MapSize size,
                     const std::optional<TileGrid>& grid)
    : size_(size) {
    if (!grid) {
        files_.push_back(&set.Open(name));
        return;
    }
    tiles_ = TilesOf(size, *grid);
    for (const Tile& tile : tiles_) files_.push_back(&set.Open(TileName(name, tile)));
}

std::vector<std::string> RunOutput::Names() const {
    std::vector<std::string> names;
    for (const OutputFile* file : files_) names.push_back(file->Name());
    return names;
}

void MakeRoomForFiles(int64_t files) {
    // Each file is held open with its folder.
    constexpr rlim_t kEach = 2;
    constexpr rlim_t kSpare = 64;
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
    const rlim_t wanted = static_cast<rlim_t>(files) * kEach + kSpare;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
        limit.rlim_cur =
            limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
        throw std::runtime_error(
            "the tiles are " + std::to_string(files) +
            " files, all held open until every one is written, and this system lets the tool "
            "hold " +
            std::to_string((limit.rlim_cur - std::min(limit.rlim_cur, kSpare)) / kEach) +
            " (ulimit -n): ask for fewer tiles");
    }
}

}  // namespace morvik
