#pragma once

#include <optional>
#include <string>
#include <vector>

#include "terrain/MapSize.h"
#include "tools/OutputSet.h"
#include "tools/Tiles.h"

namespace morvik {

// One output of a run: its file, or with --tiles the files of its tiles,
// each opened at once in the run's set, which commits them.
class RunOutput {
  public:
    // One file. Throws EOutputError.
    RunOutput(OutputSet& set, const std::string& name);
    // The map's file, or its tiles' files. Throws EOutputError.
    RunOutput(OutputSet& set, const std::string& name, MapSize size,
              const std::optional<TileGrid>& grid);

    // Writes the whole into the one file, or each tile's part of it, as
    // `part` cuts it from `whole`, into the tile's file: a tile that is the
    // whole map gets the whole as it is.
    template <typename Whole, typename Cut, typename Write>
    void WriteTiles(const Whole& whole, const Cut& part, const Write& write) {
        if (tiles_.empty()) {
            write(whole, *files_.front());
            return;
        }
        for (std::size_t i = 0; i < tiles_.size(); ++i) {
            if (tiles_[i].size == size_) {
                write(whole, *files_[i]);
            } else {
                write(part(whole, tiles_[i]), *files_[i]);
            }
        }
    }

    std::vector<std::string> Names() const;

  private:
    MapSize size_{1, 1};
    std::vector<Tile> tiles_;         // none: one file, the whole map
    std::vector<OutputFile*> files_;  // the set's
};

// Room for this many files open at once, with some to spare: the soft limit
// raised as far as the hard one allows, or an error that says so.
void MakeRoomForFiles(int64_t files);

}  // namespace morvik
