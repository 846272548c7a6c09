#include "tools/Tiles.h"

#include <algorithm>

namespace morvik {

bool SplitsEvenly(WorldSize size, TileGrid grid) {
    return (size.Width() - 1) % grid.across == 0 && (size.Height() - 1) % grid.down == 0;
}

NearestSides NearestSplittingSides(int32_t side, int32_t parts) {
    const int32_t below = (side - 1) / parts * parts + 1;
    return {below > parts ? below : 0, std::max(below + parts, parts + 1)};
}

std::vector<Tile> TilesOf(WorldSize size, TileGrid grid) {
    const int32_t width = (size.Width() - 1) / grid.across + 1;
    const int32_t height = (size.Height() - 1) / grid.down + 1;
    std::vector<Tile> tiles;
    for (int32_t row = 0; row < grid.down; ++row) {
        for (int32_t column = 0; column < grid.across; ++column) {
            tiles.push_back(
                {column, row, column * (width - 1), row * (height - 1), MapSize(width, height)});
        }
    }
    return tiles;
}

std::string TileName(const std::string& fileName, const Tile& tile) {
    const std::size_t slash = fileName.rfind('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = fileName.rfind('.');
    // No ending, or a hidden file's leading dot.
    if (dot == std::string::npos || dot <= nameAt) dot = fileName.size();
    return fileName.substr(0, dot) + "_x" + std::to_string(tile.column) + "_y" +
           std::to_string(tile.row) + fileName.substr(dot);
}

}  // namespace morvik
