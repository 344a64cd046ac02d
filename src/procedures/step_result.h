#pragma once
// How a measuring step ended. A step that fails says why and nothing more: the run's worker
// records the failure (error number, Status 7, OnStatusChange) in one place.
#include <cstdint>
#include <string>
#include <utility>

#include "src/engine/error_number.h"

namespace ombrixdc {

enum class StepEnd {
  Completed,
  Aborted,  // the client asked the run to stop; the machine was stopped
  Failed,   // `error` holds the error number or the controller's code
};

struct [[nodiscard]] StepResult {
  StepEnd end = StepEnd::Completed;
  int32_t error = 0;
  // What a failed step could not do, for the user: a file, a key, a value. Often empty.
  std::string reason;

  static StepResult Completed() { return {}; }
  static StepResult Aborted() { return {StepEnd::Aborted, 0, {}}; }
  // A controller that refuses without a code of its own still fails the step: 0 would read as
  // no error to every client, so it becomes the generic failure code.
  static StepResult Failed(int32_t error) {
    return {StepEnd::Failed, error != 0 ? error : Number(ControllerCode::FailedWithoutCode), {}};
  }
  static StepResult Failed(ErrorNumber error, std::string reason) {
    StepResult result = Failed(Number(error));
    result.reason = std::move(reason);
    return result;
  }
  static StepResult Failed(ErrorNumber error) { return Failed(Number(error)); }
  static StepResult Failed(ControllerCode code) { return Failed(Number(code)); }

  bool IsCompleted() const { return end == StepEnd::Completed; }
};

}  // namespace ombrixdc
