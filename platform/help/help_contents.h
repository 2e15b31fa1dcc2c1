// SPDX-License-Identifier: GPL-3.0-or-later
// The table of contents of a help file: the sitemap HTML of its .hhc file (nested lists of
// <OBJECT type="text/sitemap"> entries with "Name" and "Local" parameters) as a tree. No Qt.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rondel {

struct HelpTopic {
  std::string name;   // what the contents list shows (entities decoded)
  std::string local;  // the page it opens, as written in the file; empty for a pure heading
  std::vector<HelpTopic> children;
};

// Entries in file order; anything that is not a sitemap entry is ignored, and unbalanced
// lists are closed at the end, so damaged input gives a partial tree, never a failure.
std::vector<HelpTopic> ParseSitemap(std::string_view html);

// "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&nbsp;" and numeric references, as UTF-8.
std::string DecodeHtmlEntities(std::string_view text);

}  // namespace rondel
