#pragma once

namespace morvik {

// How a map's edges meet: not at all, east with west (a cylinder), or both
// that and north with south (a torus). Across a wrapped edge a cell's
// neighbour is the cell at the other edge, and distances are taken the short
// way round.
enum class Wrap { kNone, kX, kXY };

inline bool WrapsColumns(Wrap wrap) { return wrap != Wrap::kNone; }
inline bool WrapsRows(Wrap wrap) { return wrap == Wrap::kXY; }

}  // namespace morvik
