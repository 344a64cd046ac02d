#include "src/engine/error_number.h"

#include <gtest/gtest.h>

namespace ombrixdc {

namespace {

// GetLastError's codes: the component's numbers as 0x83100000 + n, everything else unchanged.
// (The table's names and codes are held against docs/errors.md by the offline example's test.)
TEST(ErrorCode, MapsEveryTableNumberAndPassesOthersThrough) {
  const std::pair<int32_t, uint32_t> cases[] = {
      {0, 0u},           {1, 0x83100001u},
      {14, 0x8310000Eu}, {15, 15u},
      {-1, 0xFFFFFFFFu}, {static_cast<int32_t>(0x81600077u), 0x81600077u},  // a controller code
  };
  for (const auto& [number, code] : cases) {
    EXPECT_EQ(ErrorCode(number), code) << number;
  }
  static_assert(ErrorCode(ErrorNumber::MapPairNotWritten) == 0x83100006u);
  static_assert(ErrorCode(ErrorNumber::RunDirectory) == 0x8310000Eu);
}

}  // namespace

}  // namespace ombrixdc
