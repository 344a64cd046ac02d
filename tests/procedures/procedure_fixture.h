#pragma once
// Runs of the measuring procedures: a component on the simulated machine (ComponentTest) with
// helpers to watch the moves, and list and compare what runs stored.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>

#include "platform/com/object.h"
#include "tests/component/component_fixture.h"
#include "tests/files/golden_files.h"

namespace ombrixdc {

namespace fs = std::filesystem;

// Stands between the component and the machine's move object: records every move started and
// lets a test act as each one starts (make it fail, request an abort).
class RecordingMove final : public ComObject<IVexa_move> {
 public:
  explicit RecordingMove(ComPtr<IVexa_move> inner) : inner_(std::move(inner)) {}

  // Called on the run's thread as move `index` (from 0) starts, before the machine sees it.
  std::function<void(size_t index, bool rotation)> onStart;

  // Each move as it started: a rotation's angle in degrees, a line's target, and its speed.
  std::vector<vexa_sim::MoveRequest> Moves() const {
    std::lock_guard lock(mutex_);
    return moves_;
  }

  HRESULT InitialiseObject(IVexa_link* link, IVexa_axis_position_and_status* ps,
                           LONG* success) override {
    return inner_->InitialiseObject(link, ps, success);
  }
  HRESULT SelectRotation() override {
    rotationNext_ = true;
    return inner_->SelectRotation();
  }
  HRESULT SetTarget(IVexa_move_target* target, LONG* success) override {
    target_ = target;
    return inner_->SetTarget(target, success);
  }
  HRESULT StartMove(double speed, LONG r1, LONG r2, LONG r3, LONG r4) override {
    vexa_sim::MoveRequest move{std::exchange(rotationNext_, false), {}, {}, 0.0, speed};
    target_->get_Angle(&move.angle);
    target_->get_x(&move.target.x());
    target_->get_y(&move.target.y());
    target_->get_z(&move.target.z());
    std::unique_lock lock(mutex_);
    moves_.push_back(move);
    const size_t index = moves_.size() - 1;
    lock.unlock();
    if (onStart) {
      onStart(index, move.rotation);
    }
    return inner_->StartMove(speed, r1, r2, r3, r4);
  }
  HRESULT GetMoveStatus(LONG* status, double* x, double* y, double* z) override {
    return inner_->GetMoveStatus(status, x, y, z);
  }

 private:
  ComPtr<IVexa_move> inner_;
  ComPtr<IVexa_move_target> target_;
  bool rotationNext_ = false;
  mutable std::mutex mutex_;
  std::vector<vexa_sim::MoveRequest> moves_;
};

// The names in `dir` (none when it does not exist), sorted; only map pairs' files unless `all`.
inline std::vector<std::string> FileNames(const fs::path& dir, bool all = false) {
  std::vector<std::string> names;
  std::error_code noFolderYet;
  for (const auto& entry : fs::directory_iterator(dir, noFolderYet)) {
    const std::string ext = entry.path().extension().string();
    if (all || ext == ".rsm" || ext == ".rsd") {
      names.push_back(entry.path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The largest difference between two data sets' radii; infinite when their lengths differ.
inline double LargestDifference(const DataSet& a, const DataSet& b) {
  double largest = a.radii.GetSize() == b.radii.GetSize() ? 0.0 : INFINITY;
  for (size_t i = 0; i < std::min(a.radii.GetSize(), b.radii.GetSize()); ++i) {
    largest = std::max(largest, std::abs(a.radii[i] - b.radii[i]));
  }
  return largest;
}

class ProcedureTest : public ComponentTest {
 protected:
  fs::path RunDir() const { return component->RunFolder(); }

  // One run to its end, the probe first put at the start position (online) or the start
  // position asked for (offline, where it is read from System.dat); the run's events.
  Texts RunToEnd(int32_t learning) {
    NewSink();
    component->Learning.Set(learning);
    if (component->OfflineTesting.Get()) {
      StartPosition();
    } else {
      machine->SetTip(component->StartPosition.Get());
    }
    component->PerformCircle();
    component->WaitForRuns();
    return sink->Texts();
  }

  // Installs a RecordingMove in place of the component's move object (after Initialise).
  ComPtr<RecordingMove> WatchMoves() {
    auto moves = MakeComObject<RecordingMove>(component->Move);
    component->Move = moves;
    return moves;
  }

  // The stored map pairs' files of the run directory, sorted.
  std::vector<std::string> MapFiles() const { return FileNames(RunDir()); }
};

}  // namespace ombrixdc
