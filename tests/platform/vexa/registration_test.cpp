#include <thread>
#include <vector>

#include "tests/platform/vexa/vexa_test_support.h"

using namespace vexa_sim;
using namespace vexa_test;

namespace {

struct ClassEntry {
  const CLSID& clsid;
  const IID& iid;
};
const ClassEntry kClasses[] = {
    {CLSID_Vexa_axis_position_and_status, IID_IVexa_axis_position_and_status},
    {CLSID_Vexa_stop, IID_IVexa_stop},
    {CLSID_Vexa_circle_scan, IID_IVexa_circle_scan},
    {CLSID_Vexa_move, IID_IVexa_move},
    {CLSID_Vexa_move_target, IID_IVexa_move_target},
    {CLSID_Vexa_probe_info, IID_IVexa_probe_info},
    {CLSID_Vexa_head, IID_IVexa_head},
    {CLSID_Vexa_frame, IID_IVexa_frame},
    {CLSID_Vexa_settings, IID_IVexa_settings},
    {CLSID_Vexa_error, IID_IVexa_error},
};

// A stand-in a test registers in place of the simulated stop object.
class FakeStop final : public ComObject<IVexa_stop> {
 public:
  HRESULT Stop(IVexa_link*, LONG* success) override { return *success = 42, S_OK; }
};

}  // namespace

TEST(SimulatedControllerRegistration, EveryClassIsCreatedByItsIdWithItsInterface) {
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back(RegisterSimulatedController);
  }
  for (auto& t : threads) {
    t.join();
  }
  for (const auto& entry : kClasses) {
    ComPtr<IUnknown> object;
    EXPECT_EQ(S_OK, CoCreateInstance(entry.clsid, nullptr, CLSCTX_ALL, entry.iid,
                                     object.ReleaseAndGetVoidAddressOf()))
        << FormatGuid(entry.clsid);
    EXPECT_TRUE(object);
  }
}
