#include <gtest/gtest.h>

#include <cmath>

#include "platform/trivell/geometry.h"

namespace {

// Rows are the axes of a frame turned 30 degrees about z, so a row vector times the matrix
// maps frame coordinates to world coordinates and the transpose maps them back.
TEST(CMaMatrix, RowVectorTimesFrameGivesWorldAndTransposeUndoesIt) {
  const double c = std::cos(MaDegreeToRadian(30.0)), s = std::sin(MaDegreeToRadian(30.0));
  CMaMatrix m(3, 3);
  m.SetRowVector(0, CMaVector(c, s, 0));
  m.SetRowVector(1, CMaVector(-s, c, 0));
  m.SetRowVector(2, CMaVector(0, 0, 1));
  const CMaVector ex = CMaVector(1, 0, 0) * m;
  EXPECT_NEAR(ex.AngleWith(CMaVector(1, 0, 0), CMaVector(0, 0, 1)), -30.0, 1e-12);
  const CMaVector v(2, -3, 4), back = (v * m) * m.Transpose();
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(back[i], v[i], 1e-14);
  }
}

}  // namespace
