#include "src/files/data_block.h"

#include <algorithm>
#include <array>

namespace ombrixdc {

void WriteDataBlock(TextWriter& out, const CMaDoubleArray& first, const CMaDoubleArray& second) {
  const std::size_t n = std::min(first.GetSize(), second.GetSize());
  out.IntegerLine("DataSize: ", static_cast<int32_t>(n)).EmptyLines(1);
  for (std::size_t i = 0; i < n; ++i) {
    out.DataRow(std::array{first[i], second[i]});
  }
}

std::size_t MinimalRowsLength(std::size_t rows, std::size_t columns) {
  const std::size_t numbers = rows * columns;
  return numbers == 0 ? 0 : 2 * numbers - 1;
}

bool ReadDataBlock(TokenReader& reader, std::initializer_list<CMaDoubleArray*> columns) {
  for (CMaDoubleArray* column : columns) {
    column->RemoveAll();
  }
  const auto count = reader.ReadInt();
  if (!count) {
    return false;
  }
  const std::size_t rows = *count < 0 ? 0 : static_cast<std::size_t>(*count);
  if (MinimalRowsLength(rows, columns.size()) > reader.Remaining()) {
    return false;
  }
  for (CMaDoubleArray* column : columns) {
    column->SetSize(rows);
  }
  for (std::size_t i = 0; i < rows; ++i) {
    for (CMaDoubleArray* column : columns) {
      const auto value = reader.ReadDouble();
      if (!value) {
        return false;
      }
      (*column)[i] = *value;
    }
  }
  return true;
}

}  // namespace ombrixdc
