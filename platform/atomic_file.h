// Writes a whole file or nothing: the bytes go to a temporary file beside the target, which is
// flushed and renamed over it, so a failed or interrupted write never leaves a half-written file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace rondel {

// Replaces (or creates) `path` with `bytes`. A symbolic link is followed, so the link stays
// and its target is replaced; an existing file keeps its permission bits. A target without
// any write permission bit counts as read-only and is refused. Returns false, leaving the
// old file as it was, when anything fails.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// Reads the whole file. Returns false when it cannot be opened or read; `out` then is empty.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out);

}  // namespace rondel
