// SPDX-License-Identifier: GPL-3.0-or-later
// Language-file lookups on the private-profile layer; every call sees the file as it is now.
#include "shell/language.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

#include "platform/profile.h"
#include "shell/app_paths.h"

namespace rondel {
namespace {

constexpr std::size_t kStringBuffer = 1000;
constexpr std::size_t kResourceBuffer = 1024;
constexpr std::size_t kShortBuffer = 30;
constexpr std::size_t kFaceBuffer = 100;
constexpr const char* kNoFace = "-----";

void ReplaceAll(std::string& text, std::string_view from, char to) {
  std::size_t at = 0;
  while ((at = text.find(from, at)) != std::string::npos) {
    text.replace(at, from.size(), 1, to);
    ++at;
  }
}

}  // namespace

std::string GetLangStringFrom(const std::string& langPath, std::string_view key) {
  std::string text = profile::GetString(langPath, "String", key, kLangNotFound, kStringBuffer);
  // Exactly these two escapes, in this order; any other backslash stays as it is.
  ReplaceAll(text, "\\n", '\n');
  ReplaceAll(text, "\\t", '\t');
  return text;
}

std::string GetLangString(std::string_view key) { return GetLangStringFrom(g_strLangPath, key); }

std::string IncompleteFileText(std::size_t length) {
  return FillIn(GetLangString("IDS_WARN_INCOMPLETE"), "%d", std::to_string(length));
}

std::string GetResourceText(int number) {
  return profile::GetString(g_strLangPath, "Resource", std::to_string(number), "", kResourceBuffer);
}

std::vector<std::string> GetChannelHeadings() {
  std::vector<std::string> headings;
  std::string carried;
  for (int c = 0; c < kChannelColumns; ++c) {
    const std::string text = profile::GetString(g_strLangPath, "ChText",
                                                "IDS_ChText" + std::to_string(c), "", kShortBuffer);
    if (!text.empty()) carried = text;
    headings.push_back(carried);
  }
  return headings;
}

const char* NumberedListSection(NumberedList list) {
  switch (list) {
    case NumberedList::VoiceAnnunciation: return "VoiceAnnunciation";
    case NumberedList::PttId: return "PttId";
    case NumberedList::MonitorKey: return "MonitorKey";
    case NumberedList::ScanMode: return "ScanMode";
  }
  return "";
}

std::size_t NumberedListCapacity(NumberedList list) {
  // One entry per value the field can be given: the list index is stored as the value.
  switch (list) {
    case NumberedList::VoiceAnnunciation: return 3;
    case NumberedList::PttId: return 4;
    case NumberedList::MonitorKey: return 7;
    case NumberedList::ScanMode: return 2;
  }
  return 0;
}

std::vector<std::string> GetNumberedList(NumberedList list) {
  std::vector<std::string> entries;
  const std::size_t capacity = NumberedListCapacity(list);
  for (std::size_t i = 0; i < capacity; ++i) {
    std::string text = profile::GetString(g_strLangPath, NumberedListSection(list),
                                          std::to_string(i), "", kShortBuffer);
    if (text.empty()) break;
    entries.push_back(std::move(text));
  }
  return entries;
}

std::string GetFaceName(const std::string& langPath) {
  return profile::GetString(langPath, "Face", "disp", kNoFace, kFaceBuffer);
}

std::vector<LanguageFile> ListLanguageFiles(const std::string& folder) {
  std::vector<LanguageFile> files;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return files;
  constexpr std::string_view kExt = ".lang";
  while (const dirent* entry = ::readdir(dir)) {
    const std::string file = entry->d_name;
    if (file.size() <= kExt.size() || file.compare(file.size() - kExt.size(), kExt.size(), kExt) != 0)
      continue;
    const std::string path = folder + "/" + file;
    struct stat st {};
    // Only plain files: a pipe or a device of that name would never be read anyway.
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    std::string display = GetFaceName(path);
    if (display.empty()) continue;
    files.push_back({path, file.substr(0, file.size() - kExt.size()), std::move(display)});
  }
  ::closedir(dir);
  std::sort(files.begin(), files.end(),
            [](const LanguageFile& a, const LanguageFile& b) { return a.name < b.name; });
  return files;
}

}  // namespace rondel
