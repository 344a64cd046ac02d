#include "src/viewer/data_sets_reader.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "src/engine/circle_preparation.h"
#include "src/files/data_block.h"

namespace ombrixdc {

namespace {

constexpr std::size_t kSetCount = 6;

// A point read as a whole: a coordinate that cannot be read leaves the target as it was.
bool ReadPoint(TokenReader& in, CMaPoint& target) {
  const auto x = in.ReadDouble();
  const auto y = x ? in.ReadDouble() : std::nullopt;
  const auto z = y ? in.ReadDouble() : std::nullopt;
  if (!z) {
    return false;
  }
  target = CMaPoint(*x, *y, *z);
  return true;
}

bool ReadInto(std::optional<double> value, double& target) {
  if (value) {
    target = *value;
  }
  return value.has_value();
}

// Everything before the data sets: feature description, speeds, direction. The labels in
// between are skipped as single words, so only their order matters.
bool ReadFeature(TokenReader& in, ViewerDataSets& data) {
  if (!in.SkipPast("inches):")) {
    return false;
  }
  const auto unit = in.ReadInt();
  if (!unit) {
    return false;
  }
  data.MeasuringUnit = *unit;
  if (!in.SkipPast("Radius:") || !ReadInto(in.ReadDouble(), data.FeatureRadius)) {
    return false;
  }
  for (CMaPoint* point : {&data.Centre, &data.Normal, &data.Xaxis}) {
    if (!in.ReadWord() || !ReadPoint(in, *point)) {
      return false;
    }
  }
  if (!in.SkipPast("SlowSpeed:") || !ReadInto(in.ReadDouble(), data.SlowSpeed)) {
    return false;
  }
  if (!in.ReadWord() || !ReadInto(in.ReadDouble(), data.FastSpeed)) {
    return false;
  }
  data.CorrectedSpeed = data.FastSpeed;
  if (!in.SkipPast("anti-clockwise):")) {
    return false;
  }
  const auto direction = in.ReadInt();
  if (!direction) {
    return false;
  }
  data.ScanDirection = *direction;
  return true;
}

// `count` points x y z, as radii and angles about `centre`; nothing when a point is missing.
std::optional<ViewerDataSet> ReadPoints(TokenReader& in, std::size_t count,
                                        const CMaPoint& centre) {
  // The count comes from the file: it sizes nothing the rest of the text cannot fill.
  if (MinimalRowsLength(count, 3) > in.Remaining()) {
    return std::nullopt;
  }
  ViewerDataSet set;
  set.radii.reserve(count);
  set.angles.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    CMaPoint p;
    if (!ReadPoint(in, p)) {
      return std::nullopt;
    }
    const double dx = p.x() - centre.x();
    const double dy = p.y() - centre.y();
    const double r = MaPythag(dx, dy);
    set.radii.push_back(r);
    // A point on the centre has no direction; MaArcCosSin gives it angle 0.
    set.angles.push_back(MaArcCosSin(dx / r, dy / r));
  }
  return set;
}

bool ReadSet(TokenReader& in, std::size_t count, ViewerDataSet& set) {
  if (!in.SkipPast("Form:") || !ReadInto(in.ReadDouble(), set.form)) {
    return false;
  }
  if (!in.ReadWord() || !ReadInto(in.ReadDouble(), set.radius)) {
    return false;
  }
  if (!in.ReadWord() || !ReadPoint(in, set.centre)) {
    return false;
  }
  if (!in.ReadWord()) {
    return false;
  }
  auto points = ReadPoints(in, count, set.centre);
  if (!points) {
    return false;
  }
  set.radii = std::move(points->radii);
  set.angles = std::move(points->angles);
  return true;
}

}  // namespace

int32_t ReferenceVisibility(const CMaPoint& slowCentre, const CMaPoint& fastCentre,
                            double SlowSpeedRepeatability) {
  // Scans with one centre always belong together, even on a machine whose repeatability was
  // never entered (0).
  const double distance = slowCentre.DistanceTo(fastCentre);
  return distance > 0.0 && distance >= 2.0 * SlowSpeedRepeatability ? 0 : 1;
}

std::optional<std::string> HiddenReferenceNote(const CMaPoint& slowCentre,
                                               const CMaPoint& fastCentre,
                                               double SlowSpeedRepeatability) {
  if (ReferenceVisibility(slowCentre, fastCentre, SlowSpeedRepeatability) != 0) {
    return std::nullopt;
  }
  const auto mm = [](double value) {
    char text[400];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return std::string(text, end.ec == std::errc() ? end.ptr : text);
  };
  return "the reference curve is hidden: its centre lies " + mm(slowCentre.DistanceTo(fastCentre)) +
         " mm from the fast scan's, not within twice the machine repeatability (" +
         mm(SlowSpeedRepeatability) +
         " mm); to show it, give --ini with SlowSpeedRepeatability in section OmbrixDC";
}

DataSetsReadResult ReadViewerDataSets(TokenReader& reader, ViewerDataSets& data,
                                      double SlowSpeedRepeatability) {
  DataSetsReadResult result;
  auto damaged = [&](const std::string& part) {
    result.damage = part + ", line " + std::to_string(reader.LineNumber());
    return result;
  };
  if (!ReadFeature(reader, data)) {
    return damaged("the feature description");
  }
  if (!reader.SkipPast("Set:")) {
    return damaged("before the data sets");
  }
  const auto count = reader.ReadInt();
  // A negative point count is a damaged file, not an empty one.
  if (!count || *count < 0) {
    return damaged("the point count");
  }
  for (std::size_t k = 0; k < kSetCount; ++k) {
    if (!ReadSet(reader, static_cast<std::size_t>(*count), data.sets[k])) {
      return damaged("data set " + std::to_string(k + 1) + " of " + std::to_string(kSetCount));
    }
  }
  result.ok = true;
  result.ShowReference =
      ReferenceVisibility(data.sets[0].centre, data.sets[1].centre, SlowSpeedRepeatability);
  result.ring = ChooseRingIndex(data);
  return result;
}

DataSetsReadResult ReadViewerDataSetsFile(const std::filesystem::path& path, ViewerDataSets& data,
                                          double SlowSpeedRepeatability) {
  auto reader = TokenReader::FromFile(path);
  if (!reader) {
    return {};
  }
  return ReadViewerDataSets(*reader, data, SlowSpeedRepeatability);
}

void FitViewerDataSets(ViewerDataSets& data, const std::array<const DataSet*, 6>& runSets,
                       const CMaPoint& slowCentre, const CMaPoint& fastCentre) {
  for (std::size_t k = 0; k < kSetCount; ++k) {
    const DataSet& from = *runSets[k];
    ViewerDataSet& to = data.sets[k];
    const ProfileCircle circle = FitProfileCircle(from.radii, from.angles);
    to.radii = from.radii.Values();
    to.angles = from.angles.Values();
    to.form = circle.form;
    to.radius = circle.radius;
    const bool slow = k == 0 || k == 3;
    to.centre = circle.centre + (slow ? slowCentre : fastCentre);
  }
}

}  // namespace ombrixdc
