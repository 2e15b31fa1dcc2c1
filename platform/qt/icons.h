// SPDX-License-Identifier: GPL-3.0-or-later
// The program's pictures, compiled into the library: the application icon (resource 128) and
// the nine toolbar images of 16 by 15 pixels. Need a QGuiApplication.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace rondel {

// Toolbar images in the order of the toolbar's buttons.
enum ToolbarImageIndex {
  kToolbarNew = 0,
  kToolbarOpen,
  kToolbarSave,
  kToolbarRead,   // read from the radio
  kToolbarWrite,  // write to the radio
  kToolbarPrint,
  kToolbarHelp,
  kToolbarUndo,
  kToolbarRedo,
  kToolbarImageCount
};
inline constexpr int kToolbarImageWidth = 16;
inline constexpr int kToolbarImageHeight = 15;

// The handheld radio at 16 to 256 pixels.
QIcon RondelAppIcon();
// One 16 by 15 image; a null pixmap for an index outside 0..8.
QPixmap ToolbarImage(int index);

}  // namespace rondel
