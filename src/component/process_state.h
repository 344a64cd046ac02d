#pragma once
// State shared by every component object in the process. Each concern has one object;
// its comment says who writes and who reads it.
#include <atomic>
#include <cstdint>

// Start-position tolerance and the stored map found for the current feature.
struct RunControlState {
  // Written by every settings read (GetStartPosition, client thread) and by the system
  // settings file in offline testing; read by PerformCircle's start-position checks.
  std::atomic<double> positionalTolerance{0.01};
  // Written by a run's worker when it searches the stored maps (0: none found); read by the
  // compensated procedure to open that map pair.
  std::atomic<int32_t> mapNumber{0};
};
RunControlState& ProcessRunControlState();

// Tolerances used when a stored map's header is compared with the current feature.
// Written by the system settings file (offline testing, client thread); read by the map
// search of later runs, of any component.
struct MapMatchTolerances {
  std::atomic<double> centre{1.0};
  std::atomic<double> radius{1.0};
  std::atomic<double> speed{1.0};
  std::atomic<double> acceleration{5.0};
  std::atomic<double> startAngle{1.0};
  std::atomic<double> fine{0.0004};
};
MapMatchTolerances& ProcessMapMatchTolerances();

// Puts both objects back to their start-up values (for tests that need a clean process).
void ResetProcessStateForTests();
