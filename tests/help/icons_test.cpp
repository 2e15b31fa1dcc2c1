// The compiled-in pictures: the application icon at every size and the seven toolbar images.
#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <set>

#include "platform/qt/icons.h"

namespace rondel {
namespace {

int OpaquePixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += qAlpha(image.pixel(x, y)) > 128;
  return n;
}

TEST(Icons, TheApplicationIconComesInEverySizeTheDesktopAsksFor) {
  const QIcon icon = RondelAppIcon();
  ASSERT_FALSE(icon.isNull());
  const QList<QSize> sizes = icon.availableSizes();
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    const QImage image = icon.pixmap(QSize(size, size)).toImage();
    EXPECT_EQ(image.size(), QSize(size, size));
    // A drawing, not an empty square: a good part of it is opaque, and not all of it.
    const int opaque = OpaquePixels(image);
    EXPECT_GT(opaque, size * size / 4) << size;
    EXPECT_LT(opaque, size * size) << size;
  }
}

TEST(Icons, SevenDifferentToolbarImagesOfSixteenByFifteen) {
  std::set<QByteArray> seen;
  for (int i = 0; i < kToolbarImageCount; ++i) {
    const QPixmap pixmap = ToolbarImage(i);
    ASSERT_FALSE(pixmap.isNull()) << i;
    EXPECT_EQ(pixmap.size(), QSize(16, 15)) << i;
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_GT(OpaquePixels(image), 40) << i;
    seen.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
  }
  EXPECT_EQ(seen.size(), 7u);
  EXPECT_EQ(kToolbarImageCount, 7);
}

TEST(Icons, AnIndexOutsideTheToolbarGivesNoImage) {
  EXPECT_TRUE(ToolbarImage(-1).isNull());
  EXPECT_TRUE(ToolbarImage(kToolbarImageCount).isNull());
  EXPECT_TRUE(ToolbarImage(1000).isNull());
}

}  // namespace
}  // namespace rondel
