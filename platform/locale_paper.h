// SPDX-License-Identifier: GPL-3.0-or-later
// The paper size of the user's locale (LC_PAPER, as LC_ALL and LANG decide it), for printouts
// made without a print dialog.
#pragma once

#include <optional>

namespace rondel {

struct PaperSizeMm {
  int width = 0;
  int height = 0;
  friend bool operator==(const PaperSizeMm&, const PaperSizeMm&) = default;
};

// The locale's paper in millimetres; nothing when the locale does not say (or is not
// installed), so the caller's own default applies.
std::optional<PaperSizeMm> LocalePaperSize();

}  // namespace rondel
