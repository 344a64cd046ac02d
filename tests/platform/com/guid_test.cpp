#include "platform/com/guid.h"

#include <gtest/gtest.h>

#include "platform/com/unknown.h"

namespace {

TEST(GuidText, ParsesAnyCaseFormatsUpperCaseWithBracesAndRoundTrips) {
  const GUID sample = {
      0x4C5CE8B0, 0xE05C, 0x11D2, {0x99, 0x8F, 0xB1, 0x1D, 0x00, 0xE7, 0x2B, 0x08}};
  EXPECT_EQ(ParseGuid("{4c5ce8b0-E05C-11d2-998F-b11d00e72b08}"), sample);
  EXPECT_EQ(ParseGuid("00000000-0000-0000-C000-000000000046"), IID_IUnknown);
  EXPECT_EQ(FormatGuid(sample), "{4C5CE8B0-E05C-11D2-998F-B11D00E72B08}");
  const GUID extremes = {0xFFFFFFFF, 0x0001, 0xFFFE, {0xFF, 0, 0x80, 0x7F, 1, 0xFE, 0x10, 0x0F}};
  for (const GUID& guid : {extremes, GUID_NULL}) {
    EXPECT_EQ(ParseGuid(FormatGuid(guid)), guid);
  }
}

TEST(GuidText, RejectsAnythingButTheStrictForm) {
  const char* const bad[] = {
      "",
      "{4C5CE8B0-E05C-11D2-998F-B11D00E72B08",    // unbalanced braces
      "(4C5CE8B0-E05C-11D2-998F-B11D00E72B08)",   // wrong brackets
      "{4C5CE8B0-E05C-11D2-998F-B11D00E72B0}",    // one digit short
      "{4C5CE8B0-E05C-11D2-998F-B11D00E72B080}",  // one digit long
      "{4C5CE8BG-E05C-11D2-998F-B11D00E72B08}",   // not hex
      "{+C5CE8B0-E05C-11D2-998F-B11D00E72B08}",   // sign a number parser would take
      "{4C5CE8B-0E05C-11D2-998F-B11D00E72B08}",   // dash out of place
  };
  for (const char* text : bad) {
    EXPECT_FALSE(ParseGuid(text).has_value()) << text;
  }
}

}  // namespace
