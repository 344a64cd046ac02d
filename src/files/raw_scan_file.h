#pragma once
// The raw scan data files ("ScanSlow.dat", "ProbeSlow.dat", "ScanFast.dat", "ProbeFast.dat"):
// what the controller reported for each recorded point of a scan, before any preparation, so
// that a run can be replayed offline. One line per point with three data values and no
// separator but their sign spaces; no header, no count.
#include <string>

#include "platform/trivell/geometry.h"
#include "src/files/token_reader.h"

namespace ombrixdc {

// One line per index, first[i], second[i], third[i], CR LF. When the lists differ in length
// (a deflection read failed part way), as many lines as the shortest list has values.
std::string WriteRawScanFile(const CMaDoubleArray& first, const CMaDoubleArray& second,
                             const CMaDoubleArray& third);

struct RawScanPoints {
  CMaDoubleArray x;
  CMaDoubleArray y;
  CMaDoubleArray z;
};
// Reads triples of numbers until the end of the text or the first triple whose numbers cannot
// all be read; a malformed or incomplete last line is dropped and the points before it kept.
RawScanPoints ReadRawScanFile(TokenReader& reader);

}  // namespace ombrixdc
