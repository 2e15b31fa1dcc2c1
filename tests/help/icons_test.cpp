// SPDX-License-Identifier: GPL-3.0-or-later
// The compiled-in pictures: the application icon at every size and the seven toolbar images.
#include <gtest/gtest.h>

#include <QIcon>
#include <QPixmap>

#include "platform/qt/icons.h"

namespace rondel {
namespace {

TEST(Icons, EveryIconSizeAndNineToolbarImagesOfSixteenByFifteen) {
  const QList<QSize> sizes = RondelAppIcon().availableSizes();
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
  ASSERT_EQ(kToolbarImageCount, 9);
  for (int i = 0; i < kToolbarImageCount; ++i) EXPECT_EQ(ToolbarImage(i).size(), QSize(16, 15)) << i;
  EXPECT_NE(ToolbarImage(0).toImage(), ToolbarImage(6).toImage());
  EXPECT_NE(ToolbarImage(7).toImage(), ToolbarImage(8).toImage()) << "Undo and Redo";
  EXPECT_TRUE(ToolbarImage(-1).isNull() && ToolbarImage(9).isNull());
}

}  // namespace
}  // namespace rondel
