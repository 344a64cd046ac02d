#include "platform/com/object.h"

namespace {

// Objects are created and released on any thread (the client's, a run's worker), so the
// count is atomic. Constant-initialised: objects made during static initialisation count too.
std::atomic<ULONG> objectsAlive{0};

}  // namespace

ULONG ComObjectsAlive() {
  return objectsAlive.load();
}

namespace com_detail {

void CountObject(int delta) {
  // Unsigned arithmetic wraps, so adding the two's-complement of -1 subtracts one.
  objectsAlive.fetch_add(static_cast<ULONG>(delta));
}

}  // namespace com_detail
