// Running sums of row heights and the row under a position.
#include "grid/grid_axis.h"

#include <gtest/gtest.h>

#include <vector>

namespace rondel {
namespace {

CGridAxis AxisOf(const std::vector<int>& sizes) {
  CGridAxis axis;
  axis.Resize(static_cast<int>(sizes.size()), 0);
  for (std::size_t i = 0; i < sizes.size(); ++i) axis.SetSize(static_cast<int>(i), sizes[i]);
  return axis;
}

struct IndexCase {
  const char* name;
  friend void PrintTo(const IndexCase& c, std::ostream* os) { *os << c.name; }
  std::vector<int> sizes;
  std::int64_t pos;
  int index;
};

class AxisIndexAt : public ::testing::TestWithParam<IndexCase> {};

TEST_P(AxisIndexAt, FindsTheItemHoldingThePosition) {
  const IndexCase& c = GetParam();
  EXPECT_EQ(AxisOf(c.sizes).IndexAt(c.pos), c.index);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AxisIndexAt,
    ::testing::Values(IndexCase{"FirstPixel", {10, 20, 30}, 0, 0}, IndexCase{"LastPixelOfFirst", {10, 20, 30}, 9, 0},
                      IndexCase{"FirstPixelOfSecond", {10, 20, 30}, 10, 1}, IndexCase{"LastPixel", {10, 20, 30}, 59, 2},
                      IndexCase{"PastTheEnd", {10, 20, 30}, 60, -1}, IndexCase{"Negative", {10, 20, 30}, -1, -1},
                      IndexCase{"EmptyAxis", {}, 0, -1}, IndexCase{"ZeroSizedItemsAreSkipped", {10, 0, 0, 5}, 10, 3},
                      IndexCase{"LeadingZeroSize", {0, 7}, 0, 1}, IndexCase{"AllZero", {0, 0}, 0, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GridAxis, StartsAreRunningSumsAndFollowLaterChanges) {
  CGridAxis axis = AxisOf({10, 20, 30});
  EXPECT_EQ(axis.Start(0), 0);
  EXPECT_EQ(axis.Start(2), 30);
  EXPECT_EQ(axis.Total(), 60);
  axis.SetSize(0, 5);
  EXPECT_EQ(axis.Start(1), 5);
  EXPECT_EQ(axis.Total(), 55);
  EXPECT_EQ(axis.IndexAt(5), 1);
}

TEST(GridAxis, ResizeAppendsDefaultsAndDropsFromTheEnd) {
  CGridAxis axis = AxisOf({10, 20});
  axis.Resize(4, 7);
  EXPECT_EQ(axis.Count(), 4);
  EXPECT_EQ(axis.Size(3), 7);
  EXPECT_EQ(axis.Total(), 44);
  axis.Resize(1, 99);
  EXPECT_EQ(axis.Total(), 10);
  EXPECT_EQ(axis.IndexAt(10), -1);
  axis.Resize(2, 3);
  EXPECT_EQ(axis.Total(), 13);
}

TEST(GridAxis, SumsBeyondTheIntRangeStayExact) {
  CGridAxis axis;
  axis.Resize(3, 2'000'000'000);
  EXPECT_EQ(axis.Total(), 6'000'000'000LL);
  EXPECT_EQ(axis.IndexAt(5'000'000'000LL), 2);
}

}  // namespace
}  // namespace rondel
