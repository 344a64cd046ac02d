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

TEST(SimulatedFrame, SquaresUpAFrameGivenOffSquareOrUnnormalised) {
  MachineConfig config;
  config.featureXaxis = CMaPoint(3.0, 0.0, 1.0);  // leans towards the normal
  config.featureNormal = CMaPoint(0.0, 0.0, 2.0);
  Rig rig(config);
  auto frame = Create<IVexa_frame>(CLSID_Vexa_frame);
  EXPECT_TRUE(Map(frame.Get(), rig.link.Get(), {1, 0, 0}).IsEqual({1, 0, 0}, 1e-12));
  EXPECT_TRUE(Map(frame.Get(), rig.link.Get(), {0, 1, 1}).IsEqual({0, 1, 1}, 1e-12));
}

TEST(SimulatedFrame, ForeignLinkLeavesNoPoint) {
  auto frame = Create<IVexa_frame>(CLSID_Vexa_frame);
  auto foreign = ComPtr<IVexa_link>(new ForeignLink());
  EXPECT_TRUE(FAILED(frame->SetPoint(foreign.Get(), 1, 2, 3)));
  double x = -1, y = -1, z = -1;
  EXPECT_TRUE(FAILED(frame->GetPoint(&x, &y, &z)));
  EXPECT_EQ(0.0, x);
}

TEST(SimulatedQueryObjects, ProbeInfoAndHeadReportTheMachineSetUp) {
  MachineConfig config;
  config.measuringUnit = 1;
  config.probeType = 10;
  config.headFlag = 1;
  config.headAngleA = 45.0;
  config.headAngleB = -90.0;
  Rig rig(config);
  auto info = Create<IVexa_probe_info>(CLSID_Vexa_probe_info);
  BYTE unit = 0, type = 0, flag = 0;
  EXPECT_TRUE(FAILED(info->get_probeType(&type)));  // not initialised yet
  LONG success = 0;
  info->InitialiseObject(rig.link.Get(), &success);
  EXPECT_EQ(1, success);
  info->get_measuringUnit(&unit);
  info->get_probeType(&type);
  info->get_headFlag(&flag);
  EXPECT_EQ(1, unit);
  EXPECT_EQ(10, type);
  EXPECT_EQ(1, flag);

  auto head = Create<IVexa_head>(CLSID_Vexa_head);
  head->InitialiseObject(rig.link.Get(), rig.ps.Get(), &success);
  double a = 0, b = 0;
  head->get_angleA(&a);
  head->get_angleB(&b);
  EXPECT_EQ(45.0, a);
  EXPECT_EQ(-90.0, b);
}
