#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "logo/outline_table.h"

namespace {

constexpr int kLoopCount = 185;  // points 0..184 close the outline; the rest retrace its start

struct Point {
  double x;
  double y;
};

Point At(int i) { return {kOutlineTableX[i], kOutlineTableY[i]}; }

std::vector<int> IndicesWhere(bool (*test)(Point)) {
  std::vector<int> found;
  for (int i = 0; i < kLoopCount; ++i) {
    if (test(At(i))) found.push_back(i);
  }
  return found;
}

// Sign of the turn a -> b -> c.
int Orient(Point a, Point b, Point c) {
  const double v = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  return (v > 0) - (v < 0);
}

bool OnSegment(Point a, Point b, Point p) {
  return std::fmin(a.x, b.x) <= p.x && p.x <= std::fmax(a.x, b.x) && std::fmin(a.y, b.y) <= p.y &&
         p.y <= std::fmax(a.y, b.y);
}

bool SegmentsTouch(Point a, Point b, Point c, Point d) {
  const int d1 = Orient(c, d, a), d2 = Orient(c, d, b), d3 = Orient(a, b, c), d4 = Orient(a, b, d);
  if (d1 * d2 < 0 && d3 * d4 < 0) return true;
  return (d1 == 0 && OnSegment(c, d, a)) || (d2 == 0 && OnSegment(c, d, b)) ||
         (d3 == 0 && OnSegment(a, b, c)) || (d4 == 0 && OnSegment(a, b, d));
}

}  // namespace

TEST(OutlineTable, FixedRowsAndTail) {
  static_assert(kOutlinePointCount == 214, "the sweep's timing is built around 214 points");
  const int rows[][3] = {{0, 5, 177},  {1, 5, 173},   {2, 5, 169},   {28, 86, 103}, {73, 211, 4},
                         {88, 252, 47}, {159, 79, 251}, {183, 5, 185}, {184, 5, 181}};
  for (const auto& row : rows) {
    EXPECT_EQ(kOutlineTableX[row[0]], row[1]) << "point " << row[0];
    EXPECT_EQ(kOutlineTableY[row[0]], row[2]) << "point " << row[0];
  }
  EXPECT_EQ(kOutlineTableX[109], 183.5f);
  EXPECT_EQ(kOutlineTableY[109], 86.5f);
  for (int i = kLoopCount; i < kOutlinePointCount; ++i) {
    EXPECT_EQ(kOutlineTableX[i], kOutlineTableX[i - kLoopCount]) << "tail point " << i;
    EXPECT_EQ(kOutlineTableY[i], kOutlineTableY[i - kLoopCount]) << "tail point " << i;
  }
}

TEST(OutlineTable, OnlyTheKnownHalfUnits) {
  const std::set<int> half_x = {109, 111, 112}, half_y = {109, 152};
  for (int i = 0; i < kOutlinePointCount; ++i) {
    const double fx = kOutlineTableX[i] - std::floor(kOutlineTableX[i]);
    const double fy = kOutlineTableY[i] - std::floor(kOutlineTableY[i]);
    EXPECT_EQ(fx, half_x.count(i) ? 0.5 : 0.0) << "x of point " << i;
    EXPECT_EQ(fy, half_y.count(i) ? 0.5 : 0.0) << "y of point " << i;
  }
}

TEST(OutlineTable, RangeAndExtremes) {
  for (int i = 0; i < kOutlinePointCount; ++i) {
    EXPECT_TRUE(At(i).x >= 5 && At(i).x <= 252 && At(i).y >= 4 && At(i).y <= 251) << "point " << i;
  }
  EXPECT_EQ(IndicesWhere([](Point p) { return p.y == 4; }), (std::vector<int>{71, 72, 73, 74}));
  EXPECT_EQ(IndicesWhere([](Point p) { return p.x == 252; }), (std::vector<int>{87, 88}));
  EXPECT_EQ(IndicesWhere([](Point p) { return p.y == 251; }), (std::vector<int>{159}));
  const std::vector<int> left = IndicesWhere([](Point p) { return p.x == 5; });
  for (int i : {0, 1, 2, 183, 184}) EXPECT_NE(std::find(left.begin(), left.end(), i), left.end());
}

TEST(OutlineTable, NeighboursAreEvenlySpaced) {
  for (int i = 0; i + 1 < kOutlinePointCount; ++i) {
    const double step = std::hypot(At(i + 1).x - At(i).x, At(i + 1).y - At(i).y);
    EXPECT_TRUE(step >= 3.2 && step <= 5.7) << "points " << i << " and " << i + 1 << ": " << step;
  }
}

TEST(OutlineTable, LoopDoesNotCrossItself) {
  for (int i = 0; i < kLoopCount; ++i) {
    const Point a = At(i), b = At((i + 1) % kLoopCount), c = At((i + 2) % kLoopCount);
    // Neighbouring segments share a point but must not fold back over each other.
    EXPECT_FALSE(Orient(a, b, c) == 0 && (b.x - a.x) * (c.x - b.x) + (b.y - a.y) * (c.y - b.y) < 0)
        << "folds back at point " << (i + 1) % kLoopCount;
    for (int j = i + 2; j < kLoopCount; ++j) {
      if ((j + 1) % kLoopCount == i) continue;
      EXPECT_FALSE(SegmentsTouch(a, b, At(j), At((j + 1) % kLoopCount)))
          << "segment " << i << " meets segment " << j;
    }
  }
}
