#pragma once

#include <string>
#include <vector>

#include "terrain/WorldSize.h"
#include "tools/Tiles.h"

namespace morvik {

// BASE.vrt for a heightmap BASE.EXT: beside its tiles.
std::string MosaicName(const std::string& heightmap);

// A GDAL virtual raster that lays the heightmap's tiles out as the one
// world they are, so that GDAL and QGIS open the world as one raster: each
// tile's file, named beside the mosaic, placed at its left and top.
std::string HeightmapMosaic(const std::string& heightmap, WorldSize size,
                            const std::vector<Tile>& tiles);

}  // namespace morvik
