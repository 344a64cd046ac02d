#pragma once
// The measuring procedures a run's worker chooses between, and the stored-map housekeeping
// around them. All run on the worker thread, with the controller lock held.
#include <cstdint>
#include <filesystem>

class CircleDCComponent;

// Comparison modes of the stored-map search.
inline constexpr int32_t kFullComparison = 0;
inline constexpr int32_t kRelaxedComparison = 1;

// The number of the first stored map (1, 2, ...) whose header matches the feature and
// settings; 0 when none does.
int32_t FindMatchingMap(CircleDCComponent& component, int32_t comparisonMode);

// Deletes map pairs of the folder older than the age limit; returns how many files went.
int32_t DeleteOldMapFiles(const std::filesystem::path& runDirectory, int32_t ageLimitHours);

// Slow scan, fast scan, map pair stored, six data sets.
void RunLearning(CircleDCComponent& component);
// Fast scan corrected with the stored map MapNumber.
void RunCompensated(CircleDCComponent& component);
