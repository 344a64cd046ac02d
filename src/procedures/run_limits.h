#pragma once
// Waits and limits of the measuring procedures.
#include <chrono>
#include <cstdint>

// Wait limit for the controller link's lock, in the link's unit (milliseconds).
inline constexpr int32_t kLockWaitLimit = 1000;

// Moves are polled at this interval.
inline constexpr std::chrono::milliseconds kMovePollInterval{30};

// After the slow scan a straight move follows the rotation when the tip is farther than this
// from the start position.
inline constexpr double kReturnDistanceThreshold = 2.0;

// A move or a scan whose controller never reports it finished would hold the run forever.
// Each gets ten times its expected duration plus a minute; then the machine is stopped and
// the run fails with the controller's own "timeout during move or scan" code.
inline constexpr double kRunTimeLimitFactor = 10.0;
inline constexpr std::chrono::milliseconds kMoveTimeLimitBase{60'000};
inline constexpr std::chrono::milliseconds kScanTimeLimitBase{60'000};
inline constexpr int32_t kMoveOrScanTimedOut = static_cast<int32_t>(0x81600038u);
