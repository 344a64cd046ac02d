// The move object: takes a target, starts the move on the machine and reports its progress.
// The machine advances a running move on every status poll, so a client that polls without
// Update still sees it end.
#include <mutex>
#include <optional>

#include "platform/com/object.h"
#include "platform/vexa/simulated_link.h"
#include "platform/vexa/simulated_machine_state.h"
#include "platform/vexa/simulated_objects.h"

namespace vexa_sim {
namespace {

// Reads a target through its interface, so that any move target object serves.
MoveRequest ReadTarget(IVexa_move_target* target) {
  MoveRequest move;
  double x = 0.0, y = 0.0, z = 0.0;
  target->get_x(&x);
  target->get_y(&y);
  target->get_z(&z);
  move.target = CMaPoint(x, y, z);
  target->GetAxis(&x, &y, &z);
  move.axis = CMaPoint(x, y, z);
  target->get_Angle(&move.angle);
  return move;
}

class SimulatedMove final : public ComObject<IVexa_move> {
 public:
  HRESULT InitialiseObject(IVexa_link* link, IVexa_axis_position_and_status* /*ps*/,
                           LONG* success) override {
    return machine_.BindToLink(link, success);
  }

  HRESULT SelectRotation() override {
    std::lock_guard lock(mutex_);
    rotationNext_ = true;
    return S_OK;
  }

  HRESULT SetTarget(IVexa_move_target* target, LONG* success) override {
    if (!success) {
      return E_POINTER;
    }
    *success = 0;
    if (!target) {
      return E_POINTER;
    }
    const MoveRequest move = ReadTarget(target);
    std::lock_guard lock(mutex_);
    target_ = move;
    *success = 1;
    return S_OK;
  }

  HRESULT StartMove(double speed, LONG /*reserved1*/, LONG /*reserved2*/, LONG /*reserved3*/,
                    LONG /*reserved4*/) override {
    const auto machine = machine_.Get();
    if (!machine) {
      return E_UNEXPECTED;
    }
    std::optional<MoveRequest> move;
    {
      std::lock_guard lock(mutex_);
      move = target_;
      if (move) {
        move->rotation = rotationNext_;
      }
      rotationNext_ = false;  // the choice applies to one move
    }
    if (!move) {
      machine->Internal().RejectMove();
      return E_UNEXPECTED;
    }
    move->speed = speed;
    machine->Internal().StartMove(*move);
    return S_OK;
  }

  HRESULT GetMoveStatus(LONG* status, double* x, double* y, double* z) override {
    if (!status || !x || !y || !z) {
      return E_POINTER;
    }
    const auto machine = machine_.Get();
    if (!machine) {
      *status = 0;
      *x = *y = *z = 0.0;
      return E_UNEXPECTED;
    }
    CMaPoint tip;
    *status = machine->Internal().PollMove(&tip);
    tip.GetData(*x, *y, *z);
    return S_OK;
  }

 private:
  MachineBinding machine_;
  std::mutex mutex_;
  std::optional<MoveRequest> target_;
  bool rotationNext_ = false;
};

}  // namespace

IUnknown* NewMove() {
  return NewObjectAs<SimulatedMove, IVexa_move>();
}

}  // namespace vexa_sim
