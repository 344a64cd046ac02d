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

TEST(SimulatedAxisStatus, TipReadsFailAfterTheGivenNumberUntilRestored) {
  Rig rig;
  rig.machine->SetTip(CMaPoint(1.0, 2.0, 3.0));
  rig.machine->FailTipReadsAfter(2);
  double x = 0, y = 0, z = 0;
  LONG success = 0, error = 0;
  for (int read = 0; read < 2; ++read) {
    rig.ps->getTip(&x, &y, &z, &success);
    EXPECT_EQ(1, success);
  }
  EXPECT_EQ(2.0, y);
  rig.ps->getTip(&x, &y, &z, &success);
  EXPECT_EQ(0, success);
  rig.ps->GetLastError(&error);
  EXPECT_EQ(kErrorTipRead, error);
  rig.machine->FailTipReadsAfter(-1);
  rig.ps->getTip(&x, &y, &z, &success);
  EXPECT_EQ(1, success);
}
