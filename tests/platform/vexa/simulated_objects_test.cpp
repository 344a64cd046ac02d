// How the simulated controller's classes are registered, and its query objects.
#include <thread>
#include <vector>

#include "tests/platform/vexa/vexa_test_support.h"

using namespace vexa_sim;
using namespace vexa_test;

// Registration from several threads at once; the classes no other test of this folder
// creates are then created by their ids with their interfaces.
TEST(SimulatedControllerRegistration, ConcurrentRegistrationLeavesEveryClassCreatable) {
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back(RegisterSimulatedController);
  }
  for (auto& t : threads) {
    t.join();
  }
  const std::pair<const CLSID&, const IID&> classes[] = {
      {CLSID_Vexa_stop, IID_IVexa_stop},
      {CLSID_Vexa_probe_info, IID_IVexa_probe_info},
      {CLSID_Vexa_head, IID_IVexa_head},
  };
  for (const auto& [clsid, iid] : classes) {
    ComPtr<IUnknown> object;
    EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_ALL, iid,
                                     object.ReleaseAndGetVoidAddressOf()))
        << FormatGuid(clsid);
  }
}

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
