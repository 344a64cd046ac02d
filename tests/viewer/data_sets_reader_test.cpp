// The viewer's reader of data sets files, against the file writer, and the ring scale it
// chooses for the data.
#include "src/viewer/data_sets_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <tuple>

#include "src/files/data_sets_file.h"
#include "src/viewer/ring_scale.h"

namespace ombrixdc {
namespace {

constexpr int32_t kPoints = 8;

// Set k is a true circle of radius 5 + k/1000 about its own centre, so its radii come back
// unchanged about the fitted centre the file records. The header's free text repeats labels
// that come further on.
std::string WrittenText() {
  DataSetsFileContent content;
  content.header.measuringUnit = 1;
  content.header.radius = 8.0;
  content.header.centre = {250.0, 120.0, -40.0};
  content.header.xaxis = {0.0, 1.0, 0.0};
  content.header.slowSpeed = 5.0;
  content.header.fastSpeed = 30.0;
  content.header.scanDirection = 1;
  content.headerInfo[0] = "Form: 99 Radius: 99";
  content.slowCentre = {1.0, 2.0, 3.0};
  content.fastCentre = {1.5, 2.0, 3.0};
  for (std::size_t k = 0; k < kDataSetCount; ++k) {
    for (int32_t i = 0; i < kPoints; ++i) {
      content.dataSets[k].radii.Add(5.0 + 0.001 * static_cast<double>(k));
      content.dataSets[k].angles.Add(2.0 * MA_PI * i / kPoints);
    }
  }
  return WriteDataSetsFile(content).text;
}

DataSetsReadResult Read(std::string text, ViewerDataSets& data, double repeatability = 0.3) {
  TokenReader reader(std::move(text));
  return ReadViewerDataSets(reader, data, repeatability);
}

// Labels in any case and any line ends are the token reader's; here what the feature's values
// are. Each set's points, centre and radius, read from the example's file, are drawn in the
// paint test's pictures.
TEST(DataSetsReader, ReadsWhatTheWriterWrote) {
  ViewerDataSets data;
  const DataSetsReadResult result = Read(WrittenText(), data);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(std::tuple(data.MeasuringUnit, data.FeatureRadius, data.Centre.z(), data.Xaxis.y(),
                       data.SlowSpeed, data.FastSpeed, data.CorrectedSpeed, data.ScanDirection),
            std::tuple(1, 8.0, -40.0, 1.0, 5.0, 30.0, 30.0, 1));
  EXPECT_EQ(result.ring.RingIndex, 0);  // true circles: every form 0
}

TEST(DataSetsReader, ReferenceHiddenWhenCentresLieTwoRepeatabilitiesApart) {
  // The slow and fast centres of the written file are 0.5 mm apart.
  for (auto [repeatability, shown] : {std::pair{0.3, 1}, {0.25, 0}}) {
    ViewerDataSets data;
    EXPECT_EQ(Read(WrittenText(), data, repeatability).ShowReference, shown) << repeatability;
    // A hidden reference is explained; the command line's test holds the way to show it.
    const auto note = HiddenReferenceNote(data.sets[0].centre, data.sets[1].centre, repeatability);
    EXPECT_EQ(note.has_value(), shown == 0);
    if (note) {
      EXPECT_NE(note->find("lies 0.500000 mm from"), std::string::npos) << *note;
    }
  }
  EXPECT_EQ(ReferenceVisibility({1, 2, 3}, {1, 2, 3}, 0.0), 1);  // equal centres keep it
}

TEST(DataSetsReader, DamagedFileFailsAndKeepsWhatWasRead) {
  const std::string text = WrittenText();
  const std::size_t set4Points = text.find("Data:", text.find("Normalised Slow Scan Data"));
  const std::string feature =
      "inches): 1 Radius: 8 Centre: 0 0 0 Normal: 0 0 1 Xaxis: 1 0 0 "
      "SlowSpeed: 5 FastSpeed: 30 anti-clockwise): 1 Set: ";
  // The text, the sets whose points were read before the damage, whether the feature was,
  // where the damage is said to be.
  const std::tuple<std::string, std::size_t, bool, std::string> cases[] = {
      {"", 0, false, "the feature description, line 1"},
      {feature.substr(0, feature.find("anti-")), 0, true, "the feature description, line 1"},
      {text.substr(0, set4Points + 200), 3, true, "data set 4 of 6, line "},  // inside its points
      {feature + "2000000000 Form: 0.1 Radius: 8 Centre: 0 0 0 Data: 1 2 3", 0, true,
       "data set 1 of 6, line 1"},
      {feature + "-3", 0, true, "the point count, line 1"},
  };
  for (const auto& [damaged, setsReplaced, featureRead, where] : cases) {
    ViewerDataSets data;
    data.sets.fill({{-1.0}, {}, 0.0, 0.0, {}});  // radii of an earlier file
    const DataSetsReadResult result = Read(damaged, data);
    EXPECT_FALSE(result.ok) << damaged.substr(0, 300);
    EXPECT_TRUE(result.damage.starts_with(where)) << result.damage;
    EXPECT_EQ(data.MeasuringUnit, featureRead ? 1 : 0);
    for (std::size_t k = 0; k < 6; ++k) {
      EXPECT_EQ(data.sets[k].radii.size(), k < setsReplaced ? std::size_t{kPoints} : 1u) << k;
    }
  }
}

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
  ViewerDataSets data;  // the data sets' forms: the largest is the first triple's third
  data.sets[2].form = 0.150;
  EXPECT_EQ(ChooseRingIndex(data).RingIndex, 4);
  data.sets[5].form = 0.150;  // the second triple's third sets the normalised view's own
  EXPECT_EQ(ChooseRingIndex(data).normalisedIndex, 4);
}

}  // namespace
}  // namespace ombrixdc
