#include "src/engine/error_number.h"

#include <gtest/gtest.h>

namespace {

struct CodeCase {
  int32_t number;
  uint32_t code;
};

TEST(ErrorCode, MapsEveryTableNumberAndPassesOthersThrough) {
  const CodeCase cases[] = {
      {0, 0u},           {1, 0x83100001u},
      {6, 0x83100006u},  {10, 0x8310000Au},
      {14, 0x8310000Eu}, {15, 15u},
      {-1, 0xFFFFFFFFu}, {static_cast<int32_t>(0x80004005u), 0x80004005u},  // a controller code
  };
  for (const CodeCase& c : cases) {
    EXPECT_EQ(ErrorCode(c.number), c.code) << c.number;
  }
}

TEST(ErrorCode, NamedNumbersGiveTheirCodes) {
  static_assert(ErrorCode(ErrorNumber::None) == 0u);
  static_assert(ErrorCode(ErrorNumber::StoredMapUnusable) == 0x83100006u);
  static_assert(ErrorCode(ErrorNumber::RunDirectory) == 0x8310000Eu);
  EXPECT_EQ(ErrorCode(ErrorNumber::NoData), 0x83100007u);
}

}  // namespace
