// The move target object: the values that describe the next move.
#include <mutex>

#include "platform/com/object.h"
#include "platform/vexa/interfaces.h"
#include "platform/vexa/simulated_objects.h"

namespace vexa_sim {
namespace {

class SimulatedMoveTarget final : public ComObject<IVexa_move_target> {
 public:
  HRESULT Reset() override {
    std::lock_guard lock(mutex_);
    values_ = Values{};
    return S_OK;
  }
  HRESULT put_x(double value) override { return Put(&Values::x, value); }
  HRESULT put_y(double value) override { return Put(&Values::y, value); }
  HRESULT put_z(double value) override { return Put(&Values::z, value); }
  HRESULT get_x(double* value) override { return Get(&Values::x, value); }
  HRESULT get_y(double* value) override { return Get(&Values::y, value); }
  HRESULT get_z(double* value) override { return Get(&Values::z, value); }
  HRESULT put_Angle(double degrees) override { return Put(&Values::angle, degrees); }
  HRESULT get_Angle(double* degrees) override { return Get(&Values::angle, degrees); }

  HRESULT SetAxis(double x, double y, double z) override {
    std::lock_guard lock(mutex_);
    values_.axisX = x;
    values_.axisY = y;
    values_.axisZ = z;
    return S_OK;
  }

  HRESULT GetAxis(double* x, double* y, double* z) override {
    if (!x || !y || !z) {
      return E_POINTER;
    }
    std::lock_guard lock(mutex_);
    *x = values_.axisX;
    *y = values_.axisY;
    *z = values_.axisZ;
    return S_OK;
  }

 private:
  struct Values {
    double x = 0.0, y = 0.0, z = 0.0;
    double axisX = 0.0, axisY = 0.0, axisZ = 1.0;
    double angle = 0.0;
  };

  HRESULT Put(double Values::*field, double value) {
    std::lock_guard lock(mutex_);
    values_.*field = value;
    return S_OK;
  }
  HRESULT Get(double Values::*field, double* value) {
    if (!value) {
      return E_POINTER;
    }
    std::lock_guard lock(mutex_);
    *value = values_.*field;
    return S_OK;
  }

  std::mutex mutex_;
  Values values_;
};

}  // namespace

IUnknown* NewMoveTarget() {
  return NewObjectAs<SimulatedMoveTarget, IVexa_move_target>();
}

}  // namespace vexa_sim
