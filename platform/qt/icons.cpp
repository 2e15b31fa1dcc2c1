// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/icons.h"

#include <QString>

// The resources live in a static library, whose registration the linker would drop unless
// something calls it; this is that call (it must stand outside any namespace).
static void RegisterIconResources() { Q_INIT_RESOURCE(icons); }

namespace rondel {
namespace {

constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

void EnsureResources() {
  static const bool registered = (RegisterIconResources(), true);
  (void)registered;
}

}  // namespace

QIcon RondelAppIcon() {
  EnsureResources();
  QIcon icon;
  for (int size : kIconSizes)
    icon.addFile(QStringLiteral(":/icons/rondel-%1.png").arg(size), QSize(size, size));
  return icon;
}

QPixmap ToolbarImage(int index) {
  if (index < 0 || index >= kToolbarImageCount) return {};
  EnsureResources();
  // QPixmap's own cache keeps the loaded strip; a static pixmap would outlive the application.
  const QPixmap strip(QStringLiteral(":/icons/toolbar.png"));
  if (strip.width() < kToolbarImageCount * kToolbarImageWidth) return {};
  return strip.copy(index * kToolbarImageWidth, 0, kToolbarImageWidth, kToolbarImageHeight);
}

}  // namespace rondel
