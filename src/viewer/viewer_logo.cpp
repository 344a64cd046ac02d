#include "src/viewer/viewer_logo.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "platform/ui/bitmap_file.h"
#include "platform/ui/render.h"
#include "src/services/module_location.h"

#ifndef OMBRIXDC_DATA_DIR
#define OMBRIXDC_DATA_DIR ""
#endif

namespace ombrixdc {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

bool IsFile(const std::filesystem::path& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// The logo's place holds exactly 216 x 42 pixels: a larger picture shows its top-left part, a
// smaller one sits on white.
ui::Image FitToLogo(const ui::Image& picture) {
  ui::Image logo{kLogoWidth, kLogoHeight,
                 std::vector<uint32_t>(static_cast<std::size_t>(kLogoWidth * kLogoHeight), kWhite)};
  const int32_t rows = std::min(picture.height, kLogoHeight);
  const int32_t columns = std::min(picture.width, kLogoWidth);
  for (int32_t y = 0; y < rows; ++y) {
    const auto from = picture.pixels.begin() + static_cast<std::ptrdiff_t>(y) * picture.width;
    std::copy(from, from + columns,
              logo.pixels.begin() + static_cast<std::ptrdiff_t>(y) * kLogoWidth);
  }
  return logo;
}

}  // namespace

LogoLocations DefaultLogoLocations() {
  LogoLocations where;
  where.dataDirectory = OMBRIXDC_DATA_DIR;
  // The registered module path (or this module's own file while none is registered); a
  // generous buffer, since install folders here are often deeper than the old 128 bytes.
  std::array<char, 4096> module{};
  if (ReadModuleLocation(module.data(), module.size())) {
    where.modulePath = std::string(module.data());
  }
  // An install moved to another prefix (a package, `cmake --install --prefix`) keeps its data
  // in share/ombrixdc of that prefix: the module is in its lib/<triplet> folder, a program
  // in its bin folder.
  if (where.modulePath && !where.modulePath->empty()) {
    const std::filesystem::path folder = std::filesystem::path(*where.modulePath).parent_path();
    for (const std::filesystem::path& moved :
         {folder / OMBRIXDC_MODULE_TO_DATA_DIR, folder / ".." / "share" / "ombrixdc"}) {
      std::error_code ec;
      if (std::filesystem::is_directory(moved, ec)) {
        where.dataDirectory = moved.lexically_normal();
        break;
      }
    }
  }
  return where;
}

std::optional<ui::Image> LoadLogoFile(const std::filesystem::path& path) {
  if (!IsFile(path)) {
    return std::nullopt;
  }
  auto picture = ui::LoadBmp(path.string());
  if (!picture || picture->width <= 0 || picture->height <= 0 ||
      picture->pixels.size() !=
          static_cast<std::size_t>(picture->width) * static_cast<std::size_t>(picture->height)) {
    return std::nullopt;
  }
  return FitToLogo(*picture);
}

ui::Image BuiltInLogo() {
  ui::Image logo = ui::RenderToImage({kLogoWidth, kLogoHeight}, [](ui::Canvas& canvas, ui::Rect) {
    // The product name over what it does, on a deep blue band with a light rule.
    constexpr ui::Rgb kBand{0, 51, 102};
    canvas.SelectPen({kBand, 0, ui::LineStyle::Solid});
    canvas.SelectBrush(kBand);
    const std::array<ui::Point, 4> band{ui::Point{0, 0}, ui::Point{kLogoWidth - 1, 0},
                                        ui::Point{kLogoWidth - 1, kLogoHeight - 1},
                                        ui::Point{0, kLogoHeight - 1}};
    canvas.Polygon(band);
    canvas.SelectFont(ui::Font::System);
    canvas.SetTextColour({255, 255, 255});
    canvas.TextOut({10, 3}, "OmbrixDC");
    canvas.SelectFont(ui::Font::VariablePitch);
    canvas.SetTextColour({153, 204, 255});
    canvas.TextOut({10, 22}, "circle dynamic compensation");
    canvas.SelectPen({{0, 204, 255}, 2, ui::LineStyle::Solid});
    canvas.MoveTo({kLogoWidth - 40, 11});
    canvas.LineTo({kLogoWidth - 10, 11});
  });
  if (logo.width != kLogoWidth || logo.height != kLogoHeight) {
    return FitToLogo(logo);  // no surface: a white place rather than nothing
  }
  return logo;
}

ui::Image LoadViewerLogo(const LogoLocations& where) {
  if (!where.dataDirectory.empty()) {
    if (auto logo = LoadLogoFile(where.dataDirectory / kLogoFileName)) {
      return *logo;
    }
  }
  if (where.modulePath && !where.modulePath->empty()) {
    const std::filesystem::path module(*where.modulePath);
    if (auto logo = LoadLogoFile(module.parent_path() / kLogoFileName)) {
      return *logo;
    }
  }
  return BuiltInLogo();
}

ui::Image LoadViewerLogo() {
  return LoadViewerLogo(DefaultLogoLocations());
}

}  // namespace ombrixdc
