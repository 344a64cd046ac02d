#pragma once
// Tick steps of the command line's charts.
#include <cstdint>

// A "nice" step (1, 2 or 5 times a power of ten) giving about `count` intervals over `span`.
double TickStep(double span, int32_t count);
