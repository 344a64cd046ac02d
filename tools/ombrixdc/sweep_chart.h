#pragma once
// The picture of `ombrixdc sweep`: the fast scan's dynamic error and the compensated residual
// against the fast speed, with the limit and the recommended speed, drawn on the drawing
// layer's canvas and written as PNG, SVG or PDF (by the file's extension).
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/canvas.h"
#include "tools/ombrixdc/sweep_table.h"

inline constexpr ui::Size kSweepChartSize{720, 440};

// Paints the chart into `client`.
void PaintSweepChart(ui::Canvas& canvas, ui::Rect client, const std::vector<SweepRow>& rows,
                     double limitUm, std::optional<size_t> recommended);

// False with the reason in *whyNot when the file cannot be written or its extension is not
// .png, .svg or .pdf.
bool WriteSweepChart(const std::string& path, const std::vector<SweepRow>& rows, double limitUm,
                     std::optional<size_t> recommended, std::string* whyNot);
