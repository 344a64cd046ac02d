#include "src/engine/error_number.h"

#include <gtest/gtest.h>

#include <set>

namespace ombrixdc {

namespace {

// GetLastError's codes: the component's numbers as 0x83100000 + n, everything else unchanged.
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
  // Names and numbers are unique, the component's own are 1 to 14, and every other code is
  // its number.
  std::set<std::string_view> names;
  std::set<int32_t> own;
  for (const ErrorEntry& e : kErrorTable) {
    EXPECT_TRUE(names.insert(e.name).second) << e.name;
    const bool isOwn = e.number >= 1 && e.number <= 14;
    if (isOwn) {
      EXPECT_TRUE(own.insert(e.number).second) << e.name;
    }
    EXPECT_EQ(e.code, (isOwn ? 0x83100000u : 0u) + static_cast<uint32_t>(e.number)) << e.name;
  }
  EXPECT_EQ(own.size(), 14u);
}

}  // namespace

}  // namespace ombrixdc
