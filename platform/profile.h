// SPDX-License-Identifier: GPL-3.0-or-later
// Private-profile (INI) access in place of the Win32 profile functions: every call looks at the
// file, so a change made by hand or by another call is seen at the next read. The parse of an
// unchanged file (same device, inode, size, modification and change time) is reused.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rondel::profile {

// Settings and language files are a few kilobytes. A file beyond this size, or one that is not
// a regular file, reads as missing and is never rewritten: reading it whole at every lookup
// would stall the program or exhaust its memory.
inline constexpr std::size_t kMaxProfileBytes = std::size_t{1} << 20;

// The value of `key` in `section` (both matched without case), cut to bufSize - 1 bytes
// without splitting a UTF-8 sequence. `def` (cut the same way) when the file, the section or
// the key is missing. Blanks around keys and values are dropped; a value enclosed in a pair
// of matching quotes loses them; lines whose first non-blank character is ';' are comments.
std::string GetString(const std::string& path, std::string_view section, std::string_view key,
                      std::string_view def, std::size_t bufSize);

// The leading decimal digits of the value (0 when it starts with anything else, capped at
// INT_MAX); `def` when the key is missing or its value is empty.
int GetInt(const std::string& path, std::string_view section, std::string_view key, int def);

// Sets `key` in `section` to `value`. An existing entry is rewritten in place; a missing key
// is added after the section's last entry, a missing section at the end of the file. Every
// other line, comment, blank line and line ending stays as it was. The file is replaced whole
// or not at all; returns false when it could not be written.
bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view value);

// The key names of `section` in file order (first spelling of each); empty when missing.
std::vector<std::string> GetKeys(const std::string& path, std::string_view section);

// The section names of the file in file order.
std::vector<std::string> GetSections(const std::string& path);

}  // namespace rondel::profile
