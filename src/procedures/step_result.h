#pragma once
// How a measuring step ended. A step that fails says why and nothing more: the run's worker
// records the failure (error number, Status 7, OnStatusChange) in one place.
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
  Error error;
  // What a failed step could not do, for the user: a file, a key, a value. Often empty.
  std::string reason;

  static StepResult Completed() { return {}; }
  static StepResult Aborted() { return {StepEnd::Aborted, {}, {}}; }
  // A controller that refuses without a code of its own still fails the step: no error would
  // read as success to every client, so it becomes the generic failure code.
  static StepResult Failed(Error error, std::string reason = {}) {
    return {StepEnd::Failed, error.IsNone() ? Error(ControllerCode::FailedWithoutCode) : error,
            std::move(reason)};
  }

  [[nodiscard]] bool IsCompleted() const { return end == StepEnd::Completed; }
};

}  // namespace ombrixdc
