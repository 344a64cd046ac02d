#include "tests/platform/vexa/vexa_test_support.h"

using namespace vexa_sim;
using namespace vexa_test;

namespace {

CMaPoint Map(IVexa_frame* frame, IVexa_link* link, const CMaPoint& p) {
  EXPECT_EQ(S_OK, frame->SetPoint(link, p.x(), p.y(), p.z()));
  CMaPoint image;
  EXPECT_EQ(S_OK, frame->GetPoint(&image.x(), &image.y(), &image.z()));
  return image;
}

}  // namespace

TEST(SimulatedFrame, MapsFeaturePointsThroughARotatedFrame) {
  // A feature lying on its side: normal along machine +x, feature x along machine +y, so the
  // feature's y axis (normal x Xaxis) is machine +z.
  MachineConfig config;
  config.featureCentre = CMaPoint(10.0, 20.0, 30.0);
  config.featureXaxis = CMaPoint(0.0, 1.0, 0.0);
  config.featureNormal = CMaPoint(1.0, 0.0, 0.0);
  Rig rig(config);
  auto frame = Create<IVexa_frame>(CLSID_Vexa_frame);
  IVexa_link* link = rig.link.Get();
  EXPECT_TRUE(Map(frame.Get(), link, {0, 0, 0}).IsEqual({10, 20, 30}, 1e-12));
  EXPECT_TRUE(Map(frame.Get(), link, {1, 0, 0}).IsEqual({10, 21, 30}, 1e-12));
  EXPECT_TRUE(Map(frame.Get(), link, {0, 1, 0}).IsEqual({10, 20, 31}, 1e-12));
  EXPECT_TRUE(Map(frame.Get(), link, {0, 0, 1}).IsEqual({11, 20, 30}, 1e-12));
  EXPECT_TRUE(Map(frame.Get(), link, {2, 3, 4}).IsEqual({14, 22, 33}, 1e-12));
}
