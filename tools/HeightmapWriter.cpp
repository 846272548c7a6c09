#include "tools/HeightmapWriter.h"

#include <system_error>
#include <utility>

#include "tools/OutputFiles.h"
#include "tools/Tiles.h"

namespace morvik {

void HeightmapWriter::Start(Heightmap&& heightmap) {
    seaLevel_ = heightmap.seaLevel;
    heightmap_ = std::move(heightmap);
    try {
        thread_ = std::jthread([this] { Write(*heightmap_); });
    } catch (const std::system_error&) {
        Write(*heightmap_);
    }
}

void HeightmapWriter::Write(const Heightmap& heightmap) {
    try {
        ProgressLine::Task task = progress_.Start("heightmap");
        output_.WriteTiles(heightmap, TileOf, [&](const Heightmap& map, OutputFile& file) {
            const std::string writing = "writing " + ShownName(file.Name());
            task.Show(writing);
            WriteHeightmap(map, file, [&](double share) { task.Show(writing, share); });
            file.Finish();
        });
    } catch (...) {
        error_ = std::current_exception();
    }
    heightmap_.reset();
}

void HeightmapWriter::Join() {
    if (thread_.joinable()) thread_.join();
    if (error_) std::rethrow_exception(error_);
}

}  // namespace morvik
