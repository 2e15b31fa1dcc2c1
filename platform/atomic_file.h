// Writes a whole file or nothing: the bytes go to a temporary file beside the target, which is
// flushed and renamed over it, so a failed or interrupted write never leaves a half-written file.
// Reads only regular files, opened without blocking, so a FIFO or a device never stalls a read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

namespace rondel {

// Replaces (or creates) `path` with `bytes`. A symbolic link is followed, so the link stays
// and its target is replaced; an existing file keeps its permission bits. A target without
// any write permission bit counts as read-only and is refused. After the rename the folder is
// flushed too, so the new name survives a power cut. Returns 0, or the errno value of what
// failed (EACCES for a read-only target, EISDIR for a folder or another kind of file),
// leaving the old file as it was.
int ReplaceFile(const std::string& path, std::span<const std::uint8_t> bytes);
inline bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  return ReplaceFile(path, bytes) == 0;
}

// 0 when ReplaceFile(path, ...) may be expected to succeed: the folder exists and may be
// written in, and an existing target is a writable regular file. Else the errno value that
// describes why not. Nothing is created.
int CheckReplaceable(const std::string& path);

// Why a file was not read.
enum class ReadProblem {
  None,
  CannotOpen,  // `error` holds the errno value (no such file, permission denied, ...)
  NotRegular,  // a folder, FIFO, device or socket
  TooLarge,    // more bytes than the caller accepts
  ReadFailed,  // `error` holds the errno value
};
struct ReadError {
  ReadProblem problem = ReadProblem::None;
  int error = 0;
};

inline constexpr std::size_t kNoSizeLimit = std::numeric_limits<std::size_t>::max();

// Opens `path` for reading without waiting for a writer or a carrier, and keeps it only when
// it is a regular file of at most `maxBytes`. Returns the descriptor (close-on-exec), or -1
// with the reason in `why`.
int OpenRegularFile(const std::string& path, std::size_t maxBytes, ReadError* why = nullptr);

// Reads the whole of a regular file of at most `maxBytes`. Returns false when it cannot be
// opened or read, or is refused as above; `out` then is empty and `why` says why.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out,
                   std::size_t maxBytes = kNoSizeLimit, ReadError* why = nullptr);

}  // namespace rondel
