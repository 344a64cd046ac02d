// The ring scale chosen for the data, and the built-in words in their two variants.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "src/viewer/ring_scale.h"
#include "src/viewer/viewer_text.h"

namespace ombrixdc {
namespace {

TEST(ChooseRingIndex, LargestFormOfATripleSetsTheScale) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::pair<std::array<double, 3>, int32_t> cases[] = {
      {{0.010, 0.002, 0.0}, 1},  // c = 4: 5-micron rings
      {{0.0005, 0.0, 0.0}, 0},   // c = 1
      {{0.004, 0.0, 0.0}, 0},    // c = 2 fits 2-micron rings
      {{0.150, 0.0, 0.0}, 4},    // c = 1 - trunc(-49.67) = 50: exactly the 50-micron rings
      {{0.0, 0.0, 1e300}, 7},    // beyond the widest rings, no overflow on the way
      {{nan, 0.0, 0.0}, 7},
  };
  for (const auto& [forms, index] : cases) {
    EXPECT_EQ(ChooseRingIndex(forms), index) << forms[0] << " " << forms[1] << " " << forms[2];
  }
}

TEST(ViewerText, UsAndUkVariantsDifferWhereTheSpellingDoes) {
  const std::tuple<int32_t, const char*, const char*> cases[] = {
      // id, US, UK
      {33111, "Normalized Data", "Normalised Data"},
      {33116, "Center", "Centre"},
      {33204, "sec", "sec"},
      {12345, "", ""},  // no such text
  };
  for (const auto& [id, us, uk] : cases) {
    EXPECT_EQ(BuiltInViewerText(id, TextVariant::EnglishUS), us) << id;
    EXPECT_EQ(BuiltInViewerText(id, TextVariant::EnglishUK), uk) << id;
  }
}

TEST(ViewerText, EnvironmentIsReadInTheCLibrarysOrder) {
  // LC_ALL, LC_MESSAGES, LANG and the variant they give.
  const std::tuple<const char*, const char*, const char*, TextVariant> cases[] = {
      {"", "", "en_GB.UTF-8", TextVariant::EnglishUK},
      {"", "en_US.UTF-8", "en_GB.UTF-8", TextVariant::EnglishUS},
      {"en_GB.UTF-8", "en_US.UTF-8", "", TextVariant::EnglishUK},
      {"", "", "en_gb", TextVariant::EnglishUS},
  };
  for (const auto& [all, messages, lang, variant] : cases) {
    setenv("LC_ALL", all, 1);
    setenv("LC_MESSAGES", messages, 1);
    setenv("LANG", lang, 1);
    EXPECT_EQ(TextVariantFromEnvironment(), variant) << all << "|" << messages << "|" << lang;
  }
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  unsetenv("LANG");
}

}  // namespace
}  // namespace ombrixdc
