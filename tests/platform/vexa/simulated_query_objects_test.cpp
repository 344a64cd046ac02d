#include "tests/platform/vexa/vexa_test_support.h"

using namespace vexa_sim;
using namespace vexa_test;

TEST(SimulatedFrame, MapsFeaturePointsThroughARotatedFrame) {
  // A feature lying on its side: normal along machine +x, feature x along machine +y, so the
  // feature's y axis (normal x Xaxis) is machine +z.
  MachineConfig config;
  config.featureCentre = CMaPoint(10.0, 20.0, 30.0);
  config.featureXaxis = CMaPoint(0.0, 1.0, 0.0);
  config.featureNormal = CMaPoint(1.0, 0.0, 0.0);
  Rig rig(config);
  auto frame = Create<IVexa_frame>(CLSID_Vexa_frame);
  const std::pair<CMaPoint, CMaPoint> cases[] = {{{0, 0, 0}, {10, 20, 30}},
                                                 {{2, 3, 4}, {14, 22, 33}}};
  for (const auto& [feature, machine] : cases) {
    EXPECT_EQ(S_OK, frame->SetPoint(rig.link.Get(), feature.x(), feature.y(), feature.z()));
    CMaPoint image;
    EXPECT_EQ(S_OK, frame->GetPoint(&image.x(), &image.y(), &image.z()));
    EXPECT_TRUE(image.IsEqual(machine, 1e-12)) << image.x() << " " << image.y() << " " << image.z();
  }
}
