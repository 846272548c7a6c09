#include "terrain/Terrain.h"

#include <string>

#include "terrain/ERangeError.h"

namespace morvik {

void Terrain::RequireHeld(MapSize size) {
    const CellGrid& cells = heightField_.Cells();
    if (!cells.Holds(size)) {
        throw ERangeError("a map of " + std::to_string(size.Width()) + " x " +
                          std::to_string(size.Height()) + " is larger than the generator's " +
                          std::to_string(cells.Columns()) + " x " + std::to_string(cells.Rows()));
    }
}

}  // namespace morvik
