#include "tools/ombrixdc/demo_picture.h"

#include <cstdio>

#include "src/component/circle_dc_component.h"
#include "src/viewer/data_sets_reader.h"
#include "src/viewer/render_view.h"
#include "src/viewer/ring_scale.h"
#include "src/viewer/viewer_logo.h"
#include "src/viewer/viewer_text.h"

using namespace ombrixdc;

bool WriteRadialErrorPicture(const ombrixdc::CircleDCComponent& component,
                             const std::filesystem::path& file) {
  ombrixdc::PaintInput input;
  ombrixdc::ViewerDataSets& data = input.data;
  data.MeasuringUnit = component.MeasuringUnit.Get();
  data.FeatureRadius = component.FeatureRadius.Get();
  data.ScanDirection = component.ScanDirection.Get();
  data.Centre = component.Centre.Get();
  data.Normal = component.Normal.Get();
  data.Xaxis = component.Xaxis.Get();
  data.SlowSpeed = component.SlowSpeed.Get();
  data.FastSpeed = component.FastSpeed.Get();
  data.CorrectedSpeed = data.FastSpeed;
  std::array<DataSet, 6> sets;
  std::array<const DataSet*, 6> runSets{};
  for (std::size_t k = 0; k < sets.size(); ++k) {
    sets[k] = component.DataSets[k].Get();
    runSets[k] = &sets[k];
  }
  ombrixdc::FitViewerDataSets(data, runSets, component.SlowCentre.Get(),
                              component.FastCentre.Get());
  input.RingIndex = ombrixdc::ChooseRingIndex(data).RingIndex;
  input.ShowReference = 1;
  input.logo = ombrixdc::LoadViewerLogo();
  input.text = ombrixdc::BuiltInTextLookup(ombrixdc::TextVariantFromEnvironment());

  const auto result = ombrixdc::RenderViewToFile(file, ombrixdc::kDefaultClientSize, input);
  if (!result.ok) {
    std::fprintf(stderr, "ombrixdc: radial error picture not written: %s\n", result.error.c_str());
    return false;
  }
  std::printf("\nRadial error view written to %s\n", file.c_str());
  return true;
}
