#pragma once
#include <cstdint>

class CircleDCComponent;

// The smallest map number whose map file does not exist (a circle data file alone does not
// take a number).
int32_t NextFreeMapNumber(const CircleDCComponent& c);
