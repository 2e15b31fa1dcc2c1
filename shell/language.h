// SPDX-License-Identifier: GPL-3.0-or-later
// Texts from the current language file: keyed strings, dialog and control texts, the channel
// grid's headings, the form's numbered lists, and the list of installed language files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/numbered_text.h"  // FillIn, for the texts these lookups return

namespace rondel {

inline constexpr const char* kLangNotFound = "Not Found";

// The "String" text of `key` in the current language file (g_strLangPath), at most 999
// bytes, with "\n" and then "\t" turned into line feed and tab; "Not Found" when missing.
std::string GetLangString(std::string_view key);
std::string GetLangStringFrom(const std::string& langPath, std::string_view key);

// "IDS_WARN_INCOMPLETE" with the length found: a data file that ends before 4144 bytes.
std::string IncompleteFileText(std::size_t length);

// The "Resource" text of a dialog or control number, at most 1023 bytes, no escapes; empty
// when the file has none (the built-in text then stays).
std::string GetResourceText(int number);

inline constexpr int kChannelColumns = 12;
// The twelve headings of the channel grid from "ChText" "IDS_ChText0".."IDS_ChText11"; a
// missing key repeats the heading of the column before it (empty for column 0).
std::vector<std::string> GetChannelHeadings();

enum class NumberedList { VoiceAnnunciation, PttId, MonitorKey, ScanMode };
// Entries "0", "1", ... until the first missing or empty key, at most 29 bytes each, and
// never more than the stored field can hold (3, 4, 7 and 2 entries).
std::vector<std::string> GetNumberedList(NumberedList list);
std::size_t NumberedListCapacity(NumberedList list);
const char* NumberedListSection(NumberedList list);

// The "Face" "disp" name of a language file: "-----" when missing, at most 99 bytes.
std::string GetFaceName(const std::string& langPath);

struct LanguageFile {
  std::string path;         // full path
  std::string name;         // file name without ".lang": what [setup] "language" stores
  std::string displayName;  // "Face" "disp"
};
// The "*.lang" regular files of `folder` (folders, pipes and devices skipped), ordered by file name; a file whose
// "disp" entry is present but empty is left out.
std::vector<LanguageFile> ListLanguageFiles(const std::string& folder);

}  // namespace rondel
