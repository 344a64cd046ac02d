#include <chrono>
#include <thread>

#include "tests/platform/vexa/vexa_test_support.h"

using namespace vexa_sim;
using namespace vexa_test;
using Clock = std::chrono::steady_clock;

namespace {

// The success value of getLock, with the link's last error.
std::pair<LONG, LONG> GetLock(IVexa_link* link, LONG waitLimit) {
  LONG success = -1, error = 0;
  EXPECT_EQ(S_OK, link->getLock(waitLimit, &success));
  link->GetLastError(&error);
  return {success, error};
}

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

TEST(SimulatedLink, GrantsFreeLockAndReleasesItOnce) {
  auto machine = std::make_shared<SimulatedMachine>();
  auto link = MakeSimulatedLink(machine);
  EXPECT_EQ(1, GetLock(link.Get(), 0).first);
  EXPECT_TRUE(machine->LockHeld());
  for (const LONG released : {1, 0}) {
    LONG success = -1, error = 0;
    EXPECT_EQ(S_OK, link->releaseLock(&success));
    EXPECT_EQ(released, success);
    EXPECT_FALSE(machine->LockHeld());
    link->GetLastError(&error);
    EXPECT_EQ(released ? 0 : kErrorLockNotHeld, error);
  }
}

TEST(SimulatedLink, TimesOutWhileAnotherThreadHoldsTheLock) {
  MachineConfig config;
  config.lockTimeoutError = static_cast<LONG>(0x81600077u);
  auto machine = std::make_shared<SimulatedMachine>(config);
  auto holder = MakeSimulatedLink(machine), waiter = MakeSimulatedLink(machine);
  std::thread([&] { EXPECT_EQ(1, GetLock(holder.Get(), 0).first); }).join();
  auto start = Clock::now();
  EXPECT_EQ(std::make_pair(0, config.lockTimeoutError), GetLock(waiter.Get(), 60));
  EXPECT_GE(MillisecondsSince(start), 55.0);
  EXPECT_EQ(1, machine->LocksGranted());
}
