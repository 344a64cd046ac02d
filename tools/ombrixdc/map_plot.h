#pragma once
// The picture of one stored map for `ombrixdc maps show`: its correction (Slow - Fast) against
// the angle, and the slow and fast profiles it was learnt from, drawn on the project's own
// canvas and written as PNG, SVG or PDF. Kept apart from the command so that it can move with
// the drawing layer.
#include <string>

#include "src/procedures/map_inventory.h"

// Writes the picture of `map` (a readable pair) to `path`; false with the reason in `whyNot`.
bool WriteMapPlot(const ombrixdc::StoredMap& map, const std::string& path, std::string* whyNot);
