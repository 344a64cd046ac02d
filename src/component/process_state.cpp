#include "src/component/process_state.h"

RunControlState& ProcessRunControlState() {
  static RunControlState state;
  return state;
}

MapMatchTolerances& ProcessMapMatchTolerances() {
  static MapMatchTolerances tolerances;
  return tolerances;
}

void ResetProcessStateForTests() {
  RunControlState& run = ProcessRunControlState();
  run.positionalTolerance = 0.01;
  run.mapNumber = 0;
  MapMatchTolerances& t = ProcessMapMatchTolerances();
  t.centre = 1.0;
  t.radius = 1.0;
  t.speed = 1.0;
  t.acceleration = 5.0;
  t.startAngle = 1.0;
  t.fine = 0.0004;
}
