// One paint of the Radial Error View with three curves of 10,000 points each (a dense scan
// shown as reference, fast and corrected), recorded into a display list (what the component's
// process does for the window) and drawn on a Cairo image surface (what the window server and
// the exports do).
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>

#include "platform/ui/cairo_canvas.h"
#include "platform/ui/display_list.h"
#include "src/viewer/paint.h"
#include "src/viewer/render_view.h"

namespace {

constexpr int32_t kPoints = 10000;

ombrixdc::PaintInput ThreeCurves() {
  ombrixdc::PaintInput input;
  input.data.FeatureRadius = 8.0;
  input.data.Normal = {0.0, 0.0, 1.0};
  input.data.Xaxis = {1.0, 0.0, 0.0};
  input.RingIndex = 2;
  input.SlowSpeedRepeatability = 0.001;
  for (std::size_t k = 0; k < 3; ++k) {
    ombrixdc::ViewerDataSet& set = input.data.sets[k];
    set.radius = 8.0;
    set.form = 0.01;
    for (int32_t i = 0; i < kPoints; ++i) {
      const double a = 2.0 * 3.141592653589793 * i / kPoints;
      set.angles.push_back(a);
      set.radii.push_back(8.0 + 0.004 * std::sin(3.0 * a + static_cast<double>(k)) +
                          0.001 * static_cast<double>(k) * std::cos(7.0 * a));
    }
  }
  return input;
}

void BM_PaintIntoDisplayList(benchmark::State& state) {
  const ombrixdc::PaintInput input = ThreeCurves();
  const ui::Rect client{0, 0, ombrixdc::kDefaultClientSize.width,
                        ombrixdc::kDefaultClientSize.height};
  for (auto _ : state) {
    ui::DisplayList list;
    ombrixdc::PaintRadialErrorView(list, client, input);
    benchmark::DoNotOptimize(list.Ops().data());
  }
}
BENCHMARK(BM_PaintIntoDisplayList)->Unit(benchmark::kMillisecond);

void BM_PaintIntoCairoImage(benchmark::State& state) {
  const ombrixdc::PaintInput input = ThreeCurves();
  const ui::Size size = ombrixdc::kDefaultClientSize;
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.width, size.height);
  cairo_t* cr = cairo_create(surface);
  for (auto _ : state) {
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_paint(cr);
    {
      ui::CairoCanvas canvas(cr);
      ombrixdc::PaintRadialErrorView(canvas, {0, 0, size.width, size.height}, input);
    }
    cairo_surface_flush(surface);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_PaintIntoCairoImage)->Unit(benchmark::kMillisecond);

}  // namespace
