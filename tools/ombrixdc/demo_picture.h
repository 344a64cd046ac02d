#pragma once
// The demonstration's picture: the Radial Error View of the component's last run as a PNG.
#include <filesystem>

namespace ombrixdc {
class CircleDCComponent;
}

// Draws the component's data sets as the viewer shows them after a run (reference shown) into
// `file` and prints its path; false, with the reason on stderr, when it cannot be written.
bool WriteRadialErrorPicture(ombrixdc::CircleDCComponent& component,
                             const std::filesystem::path& file);
