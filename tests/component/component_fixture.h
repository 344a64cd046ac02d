#pragma once
// A component connected to a fresh simulated machine, with a settings file in a temporary
// folder and a sink that records every event with the thread it arrived on.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/vexa/simulated_machine.h"
#include "src/component/circle_dc_component.h"
#include "src/component/process_state.h"
#include "tests/support/component_test_access.h"
#include "tests/support/process_state_reset.h"
#include "tests/support/run_settings.h"

namespace ombrixdc {

using Texts = std::vector<std::string>;

// Records every event ("status 1", "complete 0", "graphics closed") and the thread it came on.
class RecordingSink : public CircleDCEvents {
 public:
  void OnStatusChange(int32_t status) override { Add("status " + std::to_string(status)); }
  void PerformCircleComplete(int32_t success) override {
    Add("complete " + std::to_string(success));
  }
  void OnGraphicsClosed() override { Add("graphics closed"); }

  std::vector<std::string> Texts() const { return Locked(texts_); }
  std::vector<std::thread::id> Threads() const { return Locked(threads_); }

 private:
  template <class T>
  T Locked(const T& value) const {
    std::lock_guard lock(mutex_);
    return value;
  }
  void Add(std::string text) {
    std::lock_guard lock(mutex_);
    texts_.push_back(std::move(text));
    threads_.push_back(std::this_thread::get_id());
  }
  mutable std::mutex mutex_;
  std::vector<std::string> texts_;
  std::vector<std::thread::id> threads_;
};

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProcessState();
    vexa_sim::RegisterSimulatedController();
    machine = std::make_shared<vexa_sim::SimulatedMachine>();
    link = vexa_sim::MakeSimulatedLink(machine);
    component = std::make_unique<CircleDCComponent>();
    NewSink();
    settingsFile = folder.Write("settings.ini", SettingsText(folder.Path()));
  }
  void TearDown() override { component.reset(); }

  // A fresh component, machine and folder for the next case of a table.
  void Restart() {
    TearDown();
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
      std::filesystem::remove_all(entry.path());
    }
    SetUp();
  }

  void Initialise() {
    LONG success = 0;
    ASSERT_EQ(component->InitialiseObject(link.Get(), nullptr, &success), S_OK);
    ASSERT_EQ(success, 1);
  }

  // A feature whose parameters all pass the run's checks.
  void SetGoodParameters() {
    component->FeatureRadius.Set(10.0);
    component->TipRadius.Set(1.0);
    component->ScanDeflection.Set(0.3);
    component->SlowSpeed.Set(5.0);
    component->ModeParameter.Set(50.0);
    component->IniFilepath.Set(settingsFile.string());
  }

  CMaPoint StartPosition() {
    double x = 0, y = 0, z = 0;
    LONG success = 0;
    EXPECT_EQ(component->GetStartPosition(&x, &y, &z, &success), S_OK);
    EXPECT_EQ(success, 1);
    return {x, y, z};
  }

  // Initialised, parameters set, start position found, probe there and offsets entered.
  void PrepareRun() {
    Initialise();
    SetGoodParameters();
    machine->SetTip(StartPosition());
    ASSERT_TRUE(component->EnterProbeOffsets(0.0, 0.0, 0.0));
    component->Learning.Set(E_OMBRIX_DC_CIRCLE_LEARNING);
  }

  // Replaces the sink, so that the next run's events are seen alone.
  void NewSink() {
    component->Sinks.DisconnectAll();
    sink = std::make_shared<RecordingSink>();
    component->Sinks.Connect(sink);
  }

  TempFolder folder;
  std::shared_ptr<vexa_sim::SimulatedMachine> machine;
  ComPtr<IVexa_link> link;
  std::unique_ptr<CircleDCComponent> component;
  std::shared_ptr<RecordingSink> sink;
  std::filesystem::path settingsFile;
};

}  // namespace ombrixdc
