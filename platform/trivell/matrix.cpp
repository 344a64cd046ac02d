// Dense row-major matrices and the row-vector product used to change frames.
#include <algorithm>

#include "platform/trivell/geometry.h"

CMaMatrix::CMaMatrix(int rows, int columns)
    : rows_(std::max(rows, 0)),
      columns_(std::max(columns, 0)),
      a_(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_), 0.0) {}

void CMaMatrix::SetRowVector(int row, const CMaVector& v) {
  if (row < 0 || row >= rows_) {
    return;
  }
  for (int c = 0; c < std::min(columns_, 3); ++c) {
    (*this)(row, c) = v[c];
  }
}

CMaMatrix CMaMatrix::Transpose() const {
  CMaMatrix t(columns_, rows_);
  for (int r = 0; r < rows_; ++r) {
    for (int c = 0; c < columns_; ++c) {
      t(c, r) = (*this)(r, c);
    }
  }
  return t;
}

CMaVector CMaVector::operator*(const CMaMatrix& m) const {
  // Rows and columns the matrix lacks count as zero, so a small matrix never reads past
  // its storage.
  CMaVector product;
  const int rows = std::min(m.Rows(), 3);
  const int columns = std::min(m.Columns(), 3);
  for (int c = 0; c < columns; ++c) {
    double sum = 0.0;
    for (int r = 0; r < rows; ++r) {
      sum += v_[r] * m(r, c);
    }
    product[c] = sum;
  }
  return product;
}
