#pragma once
// The map file ("_circle<n>.rsm"): the compensation map of one circle feature together with
// every setting and feature value the map depends on. The header is both the record of how
// the map was learnt and the key by which a later run finds it: a stored map is used only
// when its header matches the current feature and settings within per-value tolerances.
#include <cstdint>
#include <string>

#include "src/engine/error_number.h"
#include "src/engine/map_slots.h"
#include "src/files/map_file_header.h"
#include "src/files/token_reader.h"

namespace ombrixdc {

// How far a stored header may differ from the current feature and still match.
struct MatchTolerances {
  double centre = 1.0;        // feature centre, by distance
  double radius = 1.0;        // feature radius
  double speed = 1.0;         // slow and fast speed
  double acceleration = 5.0;  // scan acceleration
  double startAngle = 1.0;    // DCStartAngle (degrees)
  // Buffer pitch, map pitch, scan deflection, tip radius, probe offsets (by distance); the
  // normal and x-axis may differ in direction by fine + 1.0 degrees.
  double fine = 0.0004;
};

// The whole map file: header, then the blocks PreMapData, DcMapData and PremappedDcMapData
// (slots 0, 1, 2), each "DataSize: n" and n rows of value and angle. CR LF line ends.
std::string WriteMapFile(const MapFileHeader& header, const MapSlots& slots);

// How much of a stored header a search compares.
enum class MapComparison {
  Full,     // every compared value: the map a compensated run may use
  Relaxed,  // filter number and speeds ignored: the map of the same feature to overwrite
};

struct [[nodiscard]] MapMatchResult {
  // Every compared value agrees and every number could be read.
  bool matches = false;
  // StoredMapUnusable when every compared value agrees but a number could not be read: the
  // file is the feature's map but damaged. Never set when a comparison failed first (a file
  // that is not the feature's map is simply passed over).
  ErrorNumber error = ErrorNumber::None;
};

// Compares the header of the map file in `reader` (positioned at its start) with `current`,
// in the file's order; the first difference decides. Integers, the probe type and the head
// angles must be equal (head angles exactly as read back, so only angles with at most six
// decimals can match); doubles and points agree when they differ by not more than their
// tolerance (points by distance); normal and x-axis when the angle between them is not more
// than tolerances.fine + 1.0 degrees. Mode and ModeParameter are never compared. With the
// relaxed comparison, FilterNumber, SlowSpeed and FastSpeed are not read or compared
// either (looking for a map of the same feature to overwrite).
// Labels are found by scanning words ("inches):", "boss):", "FilterNumber:",
// "anti-clockwise):", without regard to case); any other label is one word skipped unread.
// A number that cannot be read counts as -1 (integers) or 0.0 (doubles) in its comparison.
MapMatchResult MatchMapFile(TokenReader& reader, const MapFileHeader& current,
                            const MatchTolerances& tolerances, MapComparison comparison);

struct [[nodiscard]] MapFileHeaderResult {
  MapFileHeader header;
  ErrorNumber error = ErrorNumber::None;
};
// Reads every header value back (for display and tools; matching uses MatchMapFile). Values
// that cannot be read keep MapFileHeader's defaults and fail with StoredMapUnusable.
MapFileHeaderResult ReadMapFileHeader(TokenReader& reader);

struct [[nodiscard]] MapDataResult {
  MapSlots slots;
  // StoredMapUnusable when a count or row could not be read, or a count is larger than the
  // rest of the file can hold: the file is damaged. A block with a bad row keeps its declared
  // size with the rows read so far; a block with an impossible count is empty.
  ErrorNumber error = ErrorNumber::None;
};
// Reads the three map slots from the map file in `reader` (from its start). A negative
// count reads as an empty slot.
MapDataResult ReadMapData(TokenReader& reader);

}  // namespace ombrixdc
