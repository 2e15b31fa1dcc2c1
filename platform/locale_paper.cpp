// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/locale_paper.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdint>

namespace rondel {

std::optional<PaperSizeMm> LocalePaperSize() {
#ifdef __GLIBC__
  // From the environment, not from the process's current locale: whoever set that up (or did
  // not) has no say in the paper.
  const locale_t locale = ::newlocale(LC_PAPER_MASK, "", static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr)) return std::nullopt;
  // These two items are numbers handed back in the place of a string pointer.
  const auto number = [locale](nl_item item) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(::nl_langinfo_l(item, locale)));
  };
  const PaperSizeMm paper{number(_NL_PAPER_WIDTH), number(_NL_PAPER_HEIGHT)};
  ::freelocale(locale);
  if (paper.width <= 0 || paper.height <= 0) return std::nullopt;
  return paper;
#else
  return std::nullopt;
#endif
}

}  // namespace rondel
