#pragma once

#include <QString>

#include "components/ReducedImage/ReducedImageStore.h"
#include "terrain/Heightmap.h"

namespace morvik {

// What a file's name asks for, by its ending in any case.
bool IsPngName(const QString& fileName);
bool IsHeightmapName(const QString& fileName);  // .png, .r16 or .raw

// Each writes a whole file or, throwing std::runtime_error with the reason,
// leaves any file of that name as it was.

// A 16-bit grayscale PNG for a .png name, else little-endian 16-bit values
// with no header.
void SaveHeightmap(const Heightmap& map, const QString& fileName);

// The store's picture as a palette PNG: its palette in its order, and its
// pixels.
void SavePngPicture(const ReducedImageStore& store, const QString& fileName);

}  // namespace morvik
