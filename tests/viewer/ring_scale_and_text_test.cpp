// The ring scale chosen for the data, and the built-in words in their two variants.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "src/viewer/ring_scale.h"
#include "src/viewer/viewer_text.h"

namespace ombrixdc {
namespace {

TEST(ChooseRingIndex, LargestFormOfATripleSetsTheScale) {
  struct Case {
    std::array<double, 3> forms;
    int32_t index;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {{0.010, 0.002, 0.0}, 1},  // c = 4: 5-micron rings
      {{0.0005, 0.0, 0.0}, 0},   // c = 1
      {{0.004, 0.0, 0.0}, 0},    // c = 2 fits 2-micron rings
      {{0.150, 0.0, 0.0}, 4},    // c = 1 - trunc(-49.67) = 50: exactly the 50-micron rings
      {{0.0, 0.0, 1e300}, 7},    // beyond the widest rings, no overflow on the way
      {{nan, 0.0, 0.0}, 7},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseRingIndex(c.forms), c.index)
        << c.forms[0] << " " << c.forms[1] << " " << c.forms[2];
  }
}

TEST(ViewerText, UsAndUkVariantsDifferWhereTheSpellingDoes) {
  struct Case {
    int32_t id;
    const char* us;
    const char* uk;
  };
  const Case cases[] = {
      {33111, "Normalized Data", "Normalised Data"},
      {33116, "Center", "Centre"},
      {33204, "sec", "sec"},
      {12345, "", ""},  // no such text
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuiltInViewerText(c.id, TextVariant::EnglishUS), c.us) << c.id;
    EXPECT_EQ(BuiltInViewerText(c.id, TextVariant::EnglishUK), c.uk) << c.id;
  }
}

TEST(ViewerText, EnvironmentIsReadInTheCLibrarysOrder) {
  struct Case {
    const char* all;
    const char* messages;
    const char* lang;
    TextVariant variant;
  };
  const Case cases[] = {
      {"", "", "en_GB.UTF-8", TextVariant::EnglishUK},
      {"", "en_US.UTF-8", "en_GB.UTF-8", TextVariant::EnglishUS},
      {"en_GB.UTF-8", "en_US.UTF-8", "", TextVariant::EnglishUK},
      {"", "", "en_gb", TextVariant::EnglishUS},
  };
  for (const Case& c : cases) {
    setenv("LC_ALL", c.all, 1);
    setenv("LC_MESSAGES", c.messages, 1);
    setenv("LANG", c.lang, 1);
    EXPECT_EQ(TextVariantFromEnvironment(), c.variant)
        << c.all << "|" << c.messages << "|" << c.lang;
  }
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  unsetenv("LANG");
}

}  // namespace
}  // namespace ombrixdc
