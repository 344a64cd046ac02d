#include "tests/platform/vexa/vexa_test_support.h"

using namespace vexa_sim;
using namespace vexa_test;

namespace {

using FlagGetter = HRESULT (IVexa_axis_position_and_status::*)(LONG*);
struct FlagEntry {
  StatusFlag flag;
  FlagGetter getter;
  const char* name;
};
const FlagEntry kFlags[] = {
#define VEXA_TEST_FLAG(name) {StatusFlag::name, &IVexa_axis_position_and_status::get_##name, #name},
    VEXA_STATUS_FLAGS(VEXA_TEST_FLAG)
#undef VEXA_TEST_FLAG
};

}  // namespace

TEST(SimulatedAxisStatus, EachInjectedFlagShowsOnItsOwnPropertyOnly) {
  static_assert(std::size(kFlags) == static_cast<size_t>(StatusFlag::Count));
  for (const auto& raised : kFlags) {
    Rig rig;
    rig.machine->SetStatusFlag(raised.flag, 1);
    for (const auto& entry : kFlags) {
      LONG value = -1;
      EXPECT_EQ(S_OK, (rig.ps.Get()->*entry.getter)(&value));
      EXPECT_EQ(&entry == &raised ? 1 : 0, value) << raised.name << " raised, read " << entry.name;
    }
  }
}

// Two good reads, a failed one with its error, and a good one once restored.
TEST(SimulatedAxisStatus, TipReadsFailAfterTheGivenNumberUntilRestored) {
  Rig rig;
  rig.machine->SetTip(CMaPoint(1.0, 2.0, 3.0));
  rig.machine->FailTipReadsAfter(2);
  for (const LONG success : {1, 1, 0, 1}) {
    double x = 0, y = 0, z = 0;
    LONG read = -1, error = 0;
    rig.ps->getTip(&x, &y, &z, &read);
    EXPECT_EQ(success, read);
    EXPECT_EQ(success ? 2.0 : 0.0, y);
    if (!success) {
      rig.ps->GetLastError(&error);
      EXPECT_EQ(kErrorTipRead, error);
      rig.machine->FailTipReadsAfter(-1);
    }
  }
}
