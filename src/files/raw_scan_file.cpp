#include "src/files/raw_scan_file.h"

#include <algorithm>
#include <array>

#include "src/files/number_format.h"

namespace ombrixdc {

std::string WriteRawScanFile(const CMaDoubleArray& first, const CMaDoubleArray& second,
                             const CMaDoubleArray& third) {
  const std::size_t n = std::min({first.GetSize(), second.GetSize(), third.GetSize()});
  TextWriter out;
  for (std::size_t i = 0; i < n; ++i) {
    out.DataRow(std::array{first[i], second[i], third[i]});
  }
  return out.Take();
}

RawScanPoints ReadRawScanFile(TokenReader& reader) {
  RawScanPoints points;
  while (!reader.AtEnd()) {
    const auto x = reader.ReadDouble();
    const auto y = reader.ReadDouble();
    const auto z = reader.ReadDouble();
    if (!x || !y || !z) {
      break;
    }
    points.x.Add(*x);
    points.y.Add(*y);
    points.z.Add(*z);
  }
  return points;
}

}  // namespace ombrixdc
