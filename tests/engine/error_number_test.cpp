#include "src/engine/error_number.h"

#include <gtest/gtest.h>

#include <set>

namespace ombrixdc {

namespace {

struct CodeCase {
  int32_t number;
  uint32_t code;
};

// GetLastError's codes: the component's numbers as 0x83100000 + n, everything else unchanged.
TEST(ErrorCode, MapsEveryTableNumberAndPassesOthersThrough) {
  const CodeCase cases[] = {
      {0, 0u},
      {1, 0x83100001u},
      {6, 0x83100006u},
      {10, 0x8310000Au},
      {14, 0x8310000Eu},
      {15, 15u},
      {-1, 0xFFFFFFFFu},
      {static_cast<int32_t>(0x80004005u), 0x80004005u},  // a controller code
      {static_cast<int32_t>(0x81600077u), 0x81600077u},  // one the table does not name
  };
  for (const CodeCase& c : cases) {
    EXPECT_EQ(ErrorCode(c.number), c.code) << c.number;
  }
  static_assert(ErrorCode(ErrorNumber::MapPairNotWritten) == 0x83100006u);
  static_assert(ErrorCode(ErrorNumber::RunDirectory) == 0x8310000Eu);

  // Every entry is named once, numbers and codes are unique, and every code but the
  // component's own is its number.
  std::set<std::string_view> names;
  std::set<int32_t> numbers;
  for (const ErrorEntry& e : kErrorTable) {
    EXPECT_TRUE(names.insert(e.name).second) << e.name;
    EXPECT_TRUE(numbers.insert(e.number).second) << e.name;
    EXPECT_FALSE(e.meaning.empty()) << e.name;
    const bool own = e.number >= 1 && e.number <= 14;
    EXPECT_EQ(e.code,
              own ? 0x83100000u + static_cast<uint32_t>(e.number) : static_cast<uint32_t>(e.number))
        << e.name;
  }
  EXPECT_EQ(numbers.count(0), 0u);
  for (int32_t n = 1; n <= 14; ++n) {
    EXPECT_EQ(numbers.count(n), 1u) << n;
  }
}

}  // namespace

}  // namespace ombrixdc
