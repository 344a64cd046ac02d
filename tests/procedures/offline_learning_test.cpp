// The offline example end to end: raw scan files in, map file, circle data file and data sets
// file out, compared with the example's expected files.
#include <charconv>
#include <cmath>

#include "tests/files/golden_files.h"
#include "tests/procedures/procedure_fixture.h"

namespace ombrixdc {

namespace {

bool StartsNumber(const std::string& s, size_t i) {
  const auto digit = [&](size_t k) { return k < s.size() && s[k] >= '0' && s[k] <= '9'; };
  return digit(i) || (s[i] == '-' && digit(i + 1));
}

// Empty when the texts are byte for byte the same except for numbers, and every number has the
// same width and agrees to `relative` or within `absolute`; otherwise where they first differ.
std::string CompareTextAndNumbers(const std::string& actual, const std::string& expected,
                                  double relative, double absolute = 0.0) {
  size_t a = 0, e = 0;
  while (a < actual.size() && e < expected.size()) {
    if (StartsNumber(actual, a) && StartsNumber(expected, e)) {
      double va = 0, ve = 0;
      const char* aEnd = std::from_chars(actual.data() + a, actual.data() + actual.size(), va).ptr;
      const char* eEnd =
          std::from_chars(expected.data() + e, expected.data() + expected.size(), ve).ptr;
      const size_t aLength = aEnd - (actual.data() + a), eLength = eEnd - (expected.data() + e);
      const double scale = std::max(std::abs(va), std::abs(ve));
      if (aLength != eLength || std::abs(va - ve) > std::max(relative * scale, absolute)) {
        return "at byte " + std::to_string(e) + ": " + actual.substr(a, aLength) + " vs " +
               expected.substr(e, eLength);
      }
      a += aLength;
      e += eLength;
    } else if (actual[a++] != expected[e++]) {
      return "at byte " + std::to_string(e - 1) + ": text differs";
    }
  }
  if (a != actual.size() || e != expected.size()) {
    return "lengths differ: " + std::to_string(actual.size()) + " vs " +
           std::to_string(expected.size());
  }
  return "";
}

}  // namespace

TEST_F(OfflineRunTest, ExampleRun_WritesTheExpectedMapCircleDataAndDataSetsFiles) {
  component->HeaderInfo[0].Set("Example");
  EXPECT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_LEARNING),
            (Texts{"status 1", "status 2", "status 3", "status 5", "complete 1"}));
  EXPECT_EQ(component->GetLastError(), 0u);
  // The start position of a bore of radius 8, tip 1.5, two clear of the wall at 30 degrees.
  const CMaPoint start = component->StartPosition.Get();
  EXPECT_NEAR(start.x(), 2.25, 1e-12);
  EXPECT_NEAR(start.y(), 3.897114317029974, 1e-12);

  LONG success = 0;
  component->SaveData("results", &success);
  EXPECT_EQ(success, 1);
  EXPECT_EQ(MapFiles(), (std::vector<std::string>{"_circle1.rsd", "_circle1.rsm"}));
  // The map holds differences of two radii of 8: their last digits follow the fast profile's
  // fitted centre, which a least-squares fit finds only to about 1e-12 of the radius.
  for (const char* name : {"_circle1.rsm", "_circle1.rsd", "results.dat"}) {
    EXPECT_EQ(
        CompareTextAndNumbers(ReadWholeFile(RunDir() / name), ReadGoldenFile(name), 1e-9, 1e-11),
        "")
        << name;
  }
}

}  // namespace ombrixdc
