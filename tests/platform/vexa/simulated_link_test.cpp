#include <chrono>
#include <future>
#include <thread>

#include "tests/platform/vexa/vexa_test_support.h"

using namespace vexa_sim;
using namespace vexa_test;
using Clock = std::chrono::steady_clock;

namespace {

LONG GetLock(IVexa_link* link, LONG waitLimit) {
  LONG success = -1;
  EXPECT_EQ(S_OK, link->getLock(waitLimit, &success));
  return success;
}

LONG ReleaseLock(IVexa_link* link) {
  LONG success = -1;
  EXPECT_EQ(S_OK, link->releaseLock(&success));
  return success;
}

LONG LastError(IVexa_link* link) {
  LONG error = 0;
  link->GetLastError(&error);
  return error;
}

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

TEST(SimulatedLink, GrantsFreeLockAndReleasesItOnce) {
  auto machine = std::make_shared<SimulatedMachine>();
  auto link = MakeSimulatedLink(machine);
  EXPECT_EQ(1, GetLock(link.Get(), 0));
  EXPECT_TRUE(machine->LockHeld());
  EXPECT_EQ(1, ReleaseLock(link.Get()));
  EXPECT_FALSE(machine->LockHeld());
  EXPECT_EQ(0, ReleaseLock(link.Get()));
  EXPECT_EQ(kErrorLockNotHeld, LastError(link.Get()));
  EXPECT_EQ(1, machine->LocksGranted());
  EXPECT_EQ(1, machine->LocksReleased());
}

TEST(SimulatedLink, TimesOutWithConfiguredErrorWhileAnotherThreadHoldsLock) {
  MachineConfig config;
  config.lockTimeoutError = static_cast<LONG>(0x81600077u);
  auto machine = std::make_shared<SimulatedMachine>(config);
  auto holder = MakeSimulatedLink(machine);
  auto waiter = MakeSimulatedLink(machine);
  std::thread([&] { EXPECT_EQ(1, GetLock(holder.Get(), 0)); }).join();

  const auto start = Clock::now();
  EXPECT_EQ(0, GetLock(waiter.Get(), 60));
  EXPECT_GE(MillisecondsSince(start), 55.0);
  EXPECT_EQ(config.lockTimeoutError, LastError(waiter.Get()));
  EXPECT_EQ(1, machine->LocksGranted());
}

TEST(SimulatedLink, RefusalFailsAtOnceAndPassesItsCodeThrough) {
  auto machine = std::make_shared<SimulatedMachine>();
  auto link = MakeSimulatedLink(machine);
  const LONG refusal = static_cast<LONG>(0x81600123u);
  machine->RefuseLock(refusal);
  const auto start = Clock::now();
  EXPECT_EQ(0, GetLock(link.Get(), 10000));
  EXPECT_LT(MillisecondsSince(start), 5000.0);
  EXPECT_EQ(refusal, LastError(link.Get()));

  machine->RefuseLock(0);
  EXPECT_EQ(1, GetLock(link.Get(), 0));
}
