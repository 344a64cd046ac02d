#include "platform/com/guid.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/com/unknown.h"

namespace {

constexpr GUID kSample = {
    0x4C5CE8B0, 0xE05C, 0x11D2, {0x99, 0x8F, 0xB1, 0x1D, 0x00, 0xE7, 0x2B, 0x08}};

TEST(GuidText, ParsesFieldsInWrittenOrder) {
  const auto guid = ParseGuid("{4c5ce8b0-E05C-11d2-998F-b11d00e72b08}");
  ASSERT_TRUE(guid.has_value());
  EXPECT_EQ(*guid, kSample);
  EXPECT_EQ(ParseGuid("00000000-0000-0000-C000-000000000046"), IID_IUnknown);
}

TEST(GuidText, FormatsUpperCaseWithBracesAndRoundTrips) {
  EXPECT_EQ(FormatGuid(kSample), "{4C5CE8B0-E05C-11D2-998F-B11D00E72B08}");
  EXPECT_EQ(FormatGuid(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
  const GUID extremes = {0xFFFFFFFF, 0x0001, 0xFFFE, {0xFF, 0, 0x80, 0x7F, 1, 0xFE, 0x10, 0x0F}};
  for (const GUID& guid : {kSample, extremes, IID_IUnknown, GUID_NULL}) {
    EXPECT_EQ(ParseGuid(FormatGuid(guid)), guid);
  }
}

TEST(GuidText, RejectsAnythingButTheStrictForm) {
  const char* const bad[] = {
      "",
      "{}",
      "{4C5CE8B0-E05C-11D2-998F-B11D00E72B08",    // unbalanced braces
      "4C5CE8B0-E05C-11D2-998F-B11D00E72B08}",    // unbalanced braces
      "(4C5CE8B0-E05C-11D2-998F-B11D00E72B08)",   // wrong brackets
      "{4C5CE8B0-E05C-11D2-998F-B11D00E72B0}",    // one digit short
      "{4C5CE8B0-E05C-11D2-998F-B11D00E72B080}",  // one digit long
      "{4C5CE8BG-E05C-11D2-998F-B11D00E72B08}",   // not hex
      "{+C5CE8B0-E05C-11D2-998F-B11D00E72B08}",   // sign a number parser would take
      "{ C5CE8B0-E05C-11D2-998F-B11D00E72B08}",   // blank
      "{4C5CE8B00E05C-11D2-998F-B11D00E72B08}",   // missing dash
      "{4C5CE8B-0E05C-11D2-998F-B11D00E72B08}",   // dash out of place
      "4C5CE8B0E05C11D2998FB11D00E72B08",         // no dashes at all
  };
  for (const char* text : bad) {
    EXPECT_FALSE(ParseGuid(text).has_value()) << text;
  }
}

}  // namespace
