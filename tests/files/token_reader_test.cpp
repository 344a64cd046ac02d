// The one reader of the stored text files: words, numbers and labels.
#include "src/files/token_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/text/ascii.h"
#include "tests/support/temp_folder.h"

namespace ombrixdc {

// Words across any line ends; labels found without regard to case; a number ends where it
// cannot continue ("%d" stops at a point, "%lf" takes the rest); a label not found runs the
// scan to the end.
TEST(TokenReader, ReadsWordsNumbersAndLabels) {
  TokenReader r("Centre:  1\r\n2\n\t3 1.5-2.5e+003 12.75 +7 -0 x INCHES): 4 Tail");
  EXPECT_EQ(r.ReadWord(), std::optional<std::string>("Centre:"));
  EXPECT_EQ(r.ReadInt(), 1);
  for (const double value : {2.0, 3.0, 1.5, -2500.0}) {
    EXPECT_EQ(r.ReadDouble(), value);
  }
  EXPECT_EQ(r.ReadInt(), 12);
  EXPECT_EQ(r.ReadDouble(), 0.75);
  EXPECT_EQ(r.ReadInt(), 7);
  EXPECT_EQ(r.ReadDouble(), 0.0);
  EXPECT_FALSE(r.ReadInt().has_value());
  EXPECT_FALSE(r.ReadDouble().has_value());
  EXPECT_EQ(r.ReadWord(), std::optional<std::string>("x"));
  EXPECT_TRUE(r.SkipPast("inches):"));
  EXPECT_EQ(r.ReadInt(), 4);
  EXPECT_FALSE(r.SkipPast("Centre:"));
  EXPECT_FALSE(r.ReadWord().has_value());  // the scan ran to the end
  TokenReader big("99999999999"), signs("+-1");
  EXPECT_FALSE(big.ReadInt().has_value());
  EXPECT_FALSE(signs.ReadDouble().has_value());
}

// No stored file holds an infinity or a NaN: each is a damaged number.
TEST(TokenReader, InfinityAndNanAreDamage) {
  for (const char* word : {"nan", "-nan", "NaN", "inf", "-Infinity", "1e400"}) {
    TokenReader r(word);
    EXPECT_FALSE(r.ReadDouble().has_value()) << word;
    EXPECT_EQ(r.ReadWord(), std::optional<std::string>(word));  // nothing was taken
  }
}

// The whole file's bytes, whatever its size and line ends; nothing where there is no file to
// read. A file read by its size is checked at sizes around the read's first chunk.
TEST(TokenReader, FromFileReadsTheWholeFileOrNothing) {
  TempFolder folder;
  for (const std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, 140000u}) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
      text += "1.5\r\n\t x"[i % 8];
    }
    const auto path = folder.Write("file.dat", text);
    std::optional<TokenReader> reader = TokenReader::FromFile(path);
    ASSERT_TRUE(reader.has_value()) << size;
    EXPECT_EQ(reader->Remaining(), size);
    std::string words;
    while (auto word = reader->ReadWord()) {
      words += *word;
    }
    const auto printable =
        std::count_if(text.begin(), text.end(), [](char c) { return !AsciiIsSpace(c); });
    EXPECT_EQ(words.size(), static_cast<std::size_t>(printable)) << size;
  }
  // A directory reads as nothing; a missing file too (the command line test of a run without a
  // stored map holds that).
  EXPECT_FALSE(TokenReader::FromFile(folder.Path()).has_value());
}

}  // namespace ombrixdc
