// SPDX-License-Identifier: GPL-3.0-or-later
// The backup folder: names by date, time and band; written through a temporary that is linked
// to its name, so a name that exists already is never written over; pruned by age and count.
#include "shell/document/radio_backups.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/data_file.h"
#include "platform/ascii.h"
#include "platform/temporary_cleanup.h"
#include "platform/unique_fd.h"
#include "shell/form/form_texts.h"
#include "shell/settings_location.h"

namespace rondel {
namespace {

namespace chr = std::chrono;

constexpr std::string_view kExtension = ".dig";
constexpr std::size_t kStampLength = 19;  // 2026-12-09T13-45-07
constexpr std::size_t kCodeLength = 8;
constexpr std::size_t kFileBytes = layout::kHeaderSize + layout::kImageSize;

bool IsHex(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F'); }

// The number of `count` digits at `text[at]`; -1 when they are not all digits.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (!IsDigit(text[i])) return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

struct Listed {
  std::string path;
  BackupName name;
};

// Oldest first; within one second the counter says which came first.
bool Older(const Listed& a, const Listed& b) {
  if (a.name.taken != b.name.taken) return a.name.taken < b.name.taken;
  if (a.name.counter != b.name.counter) return a.name.counter < b.name.counter;
  return a.path < b.path;
}

// The regular files of our name pattern in `folder`, oldest first. A folder that cannot be
// read holds none.
std::vector<Listed> OurFiles(const std::string& folder) {
  std::vector<Listed> files;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return files;
  while (const dirent* e = ::readdir(dir)) {
    const BackupName name = ParseBackupFileName(e->d_name);
    if (!name.valid) continue;
    std::string path = folder + "/" + e->d_name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    files.push_back({std::move(path), name});
  }
  ::closedir(dir);
  std::sort(files.begin(), files.end(), Older);
  return files;
}

std::string TwoDigits(unsigned value) {
  char text[4];
  std::snprintf(text, sizeof text, "%02u", value % 100);
  return text;
}

// "2026-12-09", then `between`, then "13-45-07" with `timeSep` between the fields.
std::string Stamp(BackupClock::time_point when, const char* between, char timeSep) {
  const auto seconds = chr::floor<chr::seconds>(when);
  const auto day = chr::floor<chr::days>(seconds);
  const chr::year_month_day ymd{day};
  const chr::hh_mm_ss<chr::seconds> time{seconds - day};
  char year[8];
  std::snprintf(year, sizeof year, "%04d", static_cast<int>(ymd.year()));
  return std::string(year) + "-" + TwoDigits(static_cast<unsigned>(ymd.month())) + "-" +
         TwoDigits(static_cast<unsigned>(ymd.day())) + between +
         TwoDigits(static_cast<unsigned>(time.hours().count())) + timeSep +
         TwoDigits(static_cast<unsigned>(time.minutes().count())) + timeSep +
         TwoDigits(static_cast<unsigned>(time.seconds().count()));
}

}  // namespace

std::string BackupFolder() {
  const std::string state = XdgBaseFolder("XDG_STATE_HOME", ".local/state");
  if (state.empty()) return {};
  return state + "/rondel/backups";
}

std::string BackupFileName(BackupClock::time_point when, std::string_view bandCode, int counter) {
  std::string name = Stamp(when, "T", '-') + "_" + std::string(bandCode);
  if (counter > 1) name += "-" + std::to_string(counter);
  return name + std::string(kExtension);
}

BackupName ParseBackupFileName(std::string_view name) {
  BackupName out;
  const std::size_t fixed = kStampLength + 1 + kCodeLength;
  if (name.size() < fixed + kExtension.size() || !name.ends_with(kExtension)) return out;
  const std::string_view s = name;
  if (s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != '-' || s[16] != '-' ||
      s[kStampLength] != '_')
    return out;
  const int year = Digits(s, 0, 4), month = Digits(s, 5, 2), day = Digits(s, 8, 2);
  const int hour = Digits(s, 11, 2), minute = Digits(s, 14, 2), second = Digits(s, 17, 2);
  if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0) return out;
  const chr::year_month_day ymd{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                                chr::day{static_cast<unsigned>(day)}};
  if (!ymd.ok() || hour > 23 || minute > 59 || second > 59) return out;
  const std::string_view code = s.substr(kStampLength + 1, kCodeLength);
  if (!std::all_of(code.begin(), code.end(), IsHex)) return out;
  // The rest before ".dig": nothing, or "-" and a counter from 2 on without leading zeros.
  const std::string_view rest = s.substr(fixed, s.size() - fixed - kExtension.size());
  int counter = 1;
  if (!rest.empty()) {
    if (rest.size() < 2 || rest.size() > 7 || rest[0] != '-' || rest[1] == '0') return out;
    counter = Digits(rest, 1, rest.size() - 1);
    if (counter < 2) return out;
  }
  out.valid = true;
  out.taken = chr::sys_days{ymd} + chr::hours{hour} + chr::minutes{minute} + chr::seconds{second};
  out.bandCode = std::string(code);
  out.counter = counter;
  return out;
}

BackupResult StoreRadioImageBackup(const CRondelDoc& doc, const CRondelDoc::Image& image,
                                   const CSettings& settings) {
  CRondelDoc radio;
  radio.header() = doc.header();
  radio.image() = image;
  return StoreRadioBackup(radio, settings);
}

BackupResult StoreRadioBackup(const CRondelDoc& doc, const CSettings& settings,
                              BackupClock::time_point now, const std::string& folder) {
  BackupResult result;
  if (folder.empty()) {
    result.error = ENOENT;
    return result;
  }
  errno = 0;
  if (!MakePrivateFolders(folder)) {
    struct stat st {};
    // A file where the folder should be leaves mkdir's EEXIST behind: say what it really is.
    result.error = ::stat(folder.c_str(), &st) == 0 ? ENOTDIR : (errno != 0 ? errno : ENOENT);
    return result;
  }
  SweepStaleTemporaries(folder);
  const std::string code = BandCodeHex(doc.GetBandCode());
  result.error = StoreUnderFreeName(
      folder, SerializeDocument(doc),
      [&](int counter) { return BackupFileName(now, code, counter); }, 999999, result.path);
  if (result.error != 0) return result;
  PruneRadioBackups(settings, now, folder);
  return result;
}

int PruneRadioBackups(const CSettings& settings, BackupClock::time_point now,
                      const std::string& folder) {
  if (folder.empty()) return 0;
  const std::vector<Listed> files = OurFiles(folder);
  const auto oldestKept = now - chr::days{settings.BackupDays()};
  const std::size_t maxFiles = static_cast<std::size_t>(settings.BackupFiles());
  int removed = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const bool tooOld = files[i].name.taken < oldestKept;
    const bool tooMany = files.size() - i > maxFiles;
    if (!tooOld && !tooMany) break;  // oldest first: everything after is kept too
    if (::unlink(files[i].path.c_str()) == 0) ++removed;
  }
  return removed;
}

std::vector<BackupEntry> ListRadioBackups(const CSettings& settings, const std::string& folder) {
  std::vector<BackupEntry> entries;
  if (folder.empty()) return entries;
  std::vector<Listed> files = OurFiles(folder);
  std::reverse(files.begin(), files.end());
  for (const Listed& f : files) {
    std::vector<std::uint8_t> bytes;
    // A backup is always whole; anything shorter or longer is not one of ours.
    if (!ReadWholeFile(f.path, bytes, kFileBytes) || bytes.size() != kFileBytes ||
        !HeaderAccepted(bytes))
      continue;
    CRondelDoc doc;
    if (LoadDocument(doc, bytes, settings) != LoadResult::Loaded) continue;
    BackupEntry e;
    e.path = f.path;
    e.taken = f.name.taken;
    e.when = Stamp(f.name.taken, " ", ':');
    e.bandCode = BandCodeHex(doc.GetBandCode());
    e.model = ModelNameOf(doc, settings);
    for (int n = 1; n <= layout::kChannelCount; ++n)
      if (!doc.IsChannelEmpty(n)) ++e.channelsInUse;
    entries.push_back(std::move(e));
  }
  return entries;
}

}  // namespace rondel
