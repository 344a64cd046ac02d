#pragma once
// The viewer's reader of data sets files (the files SaveData writes): the feature's
// description and the six data sets, found by their labels, the points turned back into radii
// and angles about each set's own centre.
#include <cstdint>
#include <filesystem>

#include "platform/trivell/geometry.h"
#include "src/engine/profile.h"
#include "src/files/token_reader.h"
#include "src/viewer/ring_scale.h"
#include "src/viewer/viewer_data.h"

namespace ombrixdc {

struct DataSetsReadResult {
  bool ok = false;
  // Set only when ok: whether the reference scan is shown, and the ring scale of the data.
  int32_t ShowReference = 1;
  RingIndexChoice ring;
  // When the text was read but is damaged: where the reading stopped, as "data set 3 of 6,
  // line 57". Empty when ok or when the file could not be read at all.
  std::string damage;
};

// Reads the file's values into `data` in place. A value that cannot be read ends the reading
// with ok false; everything stored before it stays, so the viewer keeps what it could show. A
// set's radii and angles are replaced only once all its points were read. The point count is
// trusted only as far as the rest of the text can hold that many points.
DataSetsReadResult ReadViewerDataSets(TokenReader& reader, ViewerDataSets& data,
                                      double SlowSpeedRepeatability);
// The same for a file; ok false, `data` untouched, when it cannot be opened or read.
DataSetsReadResult ReadViewerDataSetsFile(const std::filesystem::path& path, ViewerDataSets& data,
                                          double SlowSpeedRepeatability);

// Whether the reference (slow) scan is worth showing against the fast one: 1, or 0 when their
// centres lie apart by at least 2 x SlowSpeedRepeatability (the part moved between them, or the
// scans belong to different setups). Equal centres always keep it.
int32_t ReferenceVisibility(const CMaPoint& slowCentre, const CMaPoint& fastCentre,
                            double SlowSpeedRepeatability);

// One line saying why the reference curve is hidden and how to show it, for a reference that
// ReferenceVisibility hides; nothing when it is shown.
std::optional<std::string> HiddenReferenceNote(const CMaPoint& slowCentre,
                                               const CMaPoint& fastCentre,
                                               double SlowSpeedRepeatability);

// Fills the six sets from a run's data sets as the viewer shows them after a run: radii and
// angles copied, form, radius and centre from the least-squares circle of each profile, the
// centre moved into machine coordinates by the slow centre (sets 0 and 3) or the fast centre
// (sets 1, 2, 4, 5). The feature fields of `data` are left to the caller.
void FitViewerDataSets(ViewerDataSets& data, const std::array<const DataSet*, 6>& runSets,
                       const CMaPoint& slowCentre, const CMaPoint& fastCentre);

}  // namespace ombrixdc
