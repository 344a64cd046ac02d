#include <thread>
#include <vector>

#include "tests/platform/vexa/vexa_test_support.h"

using namespace vexa_test;

// Registration from several threads at once; the classes no other test of this folder
// creates are then created by their ids with their interfaces.
TEST(SimulatedControllerRegistration, ConcurrentRegistrationLeavesEveryClassCreatable) {
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back(vexa_sim::RegisterSimulatedController);
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
