// SPDX-License-Identifier: GPL-3.0-or-later
// Running sums of row heights and the row under a position, at the item borders.
#include "grid/grid_axis.h"

#include <gtest/gtest.h>

#include <vector>

namespace rondel {
namespace {

TEST(GridAxis, IndexAtFindsTheItemOnEachSideOfItsBorders) {
  struct Case {
    std::vector<int> sizes;
    std::int64_t pos;
    int index;
  };
  const Case cases[] = {
      {{10, 20, 30}, 0, 0},  {{10, 20, 30}, 9, 0},  {{10, 20, 30}, 10, 1}, {{10, 20, 30}, 59, 2},
      {{10, 20, 30}, 60, -1}, {{10, 20, 30}, -1, -1}, {{}, 0, -1},
      {{10, 0, 0, 5}, 10, 3},  // items of size 0 are passed over
      {{0, 7}, 0, 1},          {{0, 0}, 0, -1},
  };
  for (const Case& c : cases) {
    CGridAxis axis;
    axis.Resize(static_cast<int>(c.sizes.size()), 0);
    for (std::size_t i = 0; i < c.sizes.size(); ++i) axis.SetSize(static_cast<int>(i), c.sizes[i]);
    EXPECT_EQ(axis.IndexAt(c.pos), c.index) << "position " << c.pos << " of " << c.sizes.size() << " items";
  }
}

TEST(GridAxis, StartsFollowChangesAndSumsBeyondTheIntRangeStayExact) {
  CGridAxis axis;
  axis.Resize(3, 10);
  axis.SetSize(0, 5);
  EXPECT_EQ(axis.Start(1), 5);
  EXPECT_EQ(axis.Start(2), 15);
  EXPECT_EQ(axis.Total(), 25);
  axis.Resize(1, 99);
  EXPECT_EQ(axis.Total(), 5);
  axis.Resize(3, 2'000'000'000);
  EXPECT_EQ(axis.Total(), 4'000'000'005LL);
  EXPECT_EQ(axis.IndexAt(4'000'000'004LL), 2);
  EXPECT_EQ(axis.IndexAt(4'000'000'005LL), -1);
}

}  // namespace
}  // namespace rondel
