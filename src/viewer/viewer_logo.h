#pragma once
// The 216 x 42 logo the paint shows at the top left: "OmbrixDC.bmp" from the installed data
// folder, else from beside the registered component module, else a picture drawn here.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/ui/canvas.h"

namespace ombrixdc {

inline constexpr int32_t kLogoWidth = 216;
inline constexpr int32_t kLogoHeight = 42;
inline constexpr const char* kLogoFileName = "OmbrixDC.bmp";

struct LogoLocations {
  std::filesystem::path dataDirectory;    // empty: not looked in
  std::optional<std::string> modulePath;  // the module file; its folder is looked in
};
// The installed data folder and the registered module's path.
LogoLocations DefaultLogoLocations();

// A BMP file as a 216 x 42 image (cut or padded with white); nothing when it cannot be read.
std::optional<ui::Image> LoadLogoFile(const std::filesystem::path& path);
// The product name on a coloured band, drawn without any file.
ui::Image BuiltInLogo();
// The first of: the data folder's file, the file beside the module, the built-in picture.
ui::Image LoadViewerLogo(const LogoLocations& where);
ui::Image LoadViewerLogo();

}  // namespace ombrixdc
