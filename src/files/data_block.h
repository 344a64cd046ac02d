#pragma once
// A "DataSize:" block of the map and circle data files: the count, an empty line and one row
// of data values per entry.
#include <cstddef>
#include <initializer_list>

#include "platform/trivell/geometry.h"
#include "src/files/number_format.h"
#include "src/files/token_reader.h"

namespace ombrixdc {

// "DataSize: n", an empty line and n rows (first[i], second[i]); n is the shorter length.
void WriteDataBlock(TextWriter& out, const CMaDoubleArray& first, const CMaDoubleArray& second);

// With the reader just past "DataSize:": reads the count and that many rows into the columns
// (one value per column a row). A negative count reads as 0. False when the count cannot be
// read (columns empty), when the rest of the text could not hold that many rows (columns
// empty: a damaged count must not size an allocation), or when a row cannot be read (columns
// keep the declared size with the rows read so far, the rest zero).
[[nodiscard]] bool ReadDataBlock(TokenReader& reader,
                                 std::initializer_list<CMaDoubleArray*> columns);

// The fewest characters `rows` rows of `columns` numbers can take: each number at least one
// digit, and a space or a sign between numbers.
std::size_t MinimalRowsLength(std::size_t rows, std::size_t columns);

}  // namespace ombrixdc
