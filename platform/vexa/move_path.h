#pragma once
// Where the tip is part way through a move.
#include "platform/trivell/geometry.h"
#include "platform/vexa/simulated_machine.h"

namespace vexa_sim {

// 0 when the move can be made, else kMoveRejected (no speed, no axis, a value not finite).
LONG CheckMove(const MoveRequest& move);

// The number of simulation steps the move takes from `start`: its path length (the segment,
// or the arc the tip sweeps about the axis) over its speed, in steps of kMoveStepSeconds,
// bounded by kMoveSteps and kMaxMoveSteps. The move must have passed CheckMove.
int32_t MoveStepCount(const MoveRequest& move, const CMaPoint& start);

// The tip after `fraction` (0 to 1) of the move that began with the tip at `start`: a
// rotation turns it by fraction x angle about the axis through the feature origin, a linear
// move goes that fraction of the way to the target.
CMaPoint MovePosition(const MoveRequest& move, const CMaPoint& start, double fraction);

}  // namespace vexa_sim
