#pragma once
// Reading the viewer's logo: a Windows bitmap file, decoded by gdk-pixbuf.
#include <optional>
#include <string>

#include "platform/ui/canvas.h"

namespace ui {

// The picture of the BMP file at `path` (transparency dropped onto white); nothing when the
// file is missing, not a BMP or damaged.
std::optional<Image> LoadBmp(const std::string& path);

}  // namespace ui
