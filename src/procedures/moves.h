#pragma once
// Moves of the probe between scans, through the controller's move and move target objects.
// Coordinates are in the feature frame: the circle's centre is the origin, its axis +z.
#include <cstdint>

class CircleDCComponent;

enum class MoveOutcome {
  Completed,  // the controller reported the move completed
  Failed,     // the controller ended the move with another status
  TimedOut,   // the move never ended; the machine was stopped
};

// Rotation about the feature axis by `degrees` (positive anticlockwise seen from +z).
MoveOutcome RotateAboutFeatureAxis(CircleDCComponent& c, double degrees);
// Straight move of the tip centre to (x, y, z).
MoveOutcome MoveLinear(CircleDCComponent& c, double x, double y, double z);

// The error number a move outcome gives (0 when completed).
int32_t MoveErrorNumber(MoveOutcome outcome);

// Brings the probe back to StartPosition after the slow scan: gives up the controller lock,
// rotates about the feature axis onto the start position, moves straight there when the
// rotation left it more than 2.0 away, and takes the lock back. A failed move records the
// error (Status 7, OnStatusChange) and leaves the lock released.
void ReturnToStart(CircleDCComponent& c);
