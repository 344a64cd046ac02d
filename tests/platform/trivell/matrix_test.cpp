#include <gtest/gtest.h>

#include <cmath>

#include "platform/trivell/geometry.h"

namespace {

// Rows are the axes of a frame turned 30 degrees about z, so a row vector times the matrix
// maps frame coordinates to world coordinates and the transpose maps them back.
CMaMatrix TurnedFrame() {
  const double c = std::cos(MaDegreeToRadian(30.0)), s = std::sin(MaDegreeToRadian(30.0));
  CMaMatrix m(3, 3);
  m.SetRowVector(0, CMaVector(c, s, 0));
  m.SetRowVector(1, CMaVector(-s, c, 0));
  m.SetRowVector(2, CMaVector(0, 0, 1));
  return m;
}

TEST(CMaMatrix, RowVectorTimesFrameGivesWorldAndTransposeUndoesIt) {
  const CMaMatrix m = TurnedFrame();
  const CMaVector ex = CMaVector(1, 0, 0) * m;
  EXPECT_NEAR(ex.AngleWith(CMaVector(1, 0, 0), CMaVector(0, 0, 1)), -30.0, 1e-12);
  const CMaVector v(2, -3, 4), back = (v * m) * m.Transpose();
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(back[i], v[i], 1e-14);
  }
}

TEST(CMaMatrix, ProductUsesFirstThreeColumnsAndTreatsMissingRowsAsZero) {
  CMaMatrix wide(3, 4);
  for (int r = 0; r < 3; ++r) {
    wide.SetRowVector(r, CMaVector(r + 1.0, 10.0 * (r + 1), 100.0 * (r + 1)));
    wide(r, 3) = 99.0;  // left alone by SetRowVector, ignored by the product
  }
  wide.SetRowVector(7, CMaVector(5, 5, 5));  // outside: ignored
  const CMaVector p = CMaVector(1, 1, 1) * wide;
  EXPECT_EQ(p[0], 6.0);
  EXPECT_EQ(p[1], 60.0);
  EXPECT_EQ(p[2], 600.0);
  EXPECT_EQ(wide(0, 3), 99.0);

  CMaMatrix shallow(2, 3);
  shallow.SetRowVector(0, CMaVector(1, 2, 3));
  shallow.SetRowVector(1, CMaVector(4, 5, 6));
  const CMaVector q = CMaVector(1, 1, 1000) * shallow;
  EXPECT_EQ(q[0], 5.0);
  EXPECT_EQ(q[2], 9.0);
  const CMaMatrix t = wide.Transpose();
  EXPECT_EQ(t.Rows(), 4);
  EXPECT_EQ(t.Columns(), 3);
  EXPECT_EQ(t(3, 2), 99.0);
  EXPECT_EQ(t(1, 2), 30.0);
  EXPECT_EQ(CMaMatrix(-2, 3).Rows(), 0);
}

}  // namespace
