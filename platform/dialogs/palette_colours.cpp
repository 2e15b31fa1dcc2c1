// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dialogs/palette_colours.h"

#include <algorithm>
#include <cmath>

namespace rondel {

QColor BlendColours(const QColor& from, const QColor& to, int percent) {
  const auto mix = [percent](float a, float b) { return a + (b - a) * static_cast<float>(percent) / 100.0f; };
  QColor blended;
  blended.setRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()), mix(from.blueF(), to.blueF()));
  return blended;
}

double ColourContrast(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& colour) {
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
  };
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableColour(const QColor& wanted, const QColor& background, const QColor& towards, double minimum) {
  for (int percent = 0; percent < 100; percent += 10) {
    const QColor candidate = BlendColours(wanted, towards, percent);
    if (ColourContrast(candidate, background) >= minimum) return candidate;
  }
  return towards;
}

QColor EmphasisColour(const QColor& background) {
  const QColor red(255, 0, 0);
  // Toward white on a dark background, toward black on a light one.
  const QColor towards = ColourContrast(Qt::white, background) >= ColourContrast(Qt::black, background) ? QColor(Qt::white) : QColor(Qt::black);
  return ReadableColour(red, background, towards, 3.0);
}

}  // namespace rondel
