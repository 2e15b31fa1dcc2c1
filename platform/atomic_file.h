// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a whole file or nothing: the bytes go to a temporary file beside the target, which is
// flushed and renamed over it, so a failed or interrupted write never leaves a half-written file.
// Reads only regular files, opened without blocking, so a FIFO or a device never stalls a read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <sys/types.h>
#include <vector>

#include "platform/unique_fd.h"

namespace rondel {

// Which file a path named when it was opened (device and inode number), so a later save can
// tell that a symbolic link still leads to that very file.
struct FileIdentity {
  dev_t dev = 0;
  ino_t ino = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file `path` names now, following symbolic links; none when it names
// nothing.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// The temporary files of a save are named ".rondel-" and six letters or digits, in the
// target's folder: short enough for any name the folder's file system takes as a target.
inline constexpr const char* kTemporaryPrefix = ".rondel-";
inline constexpr std::size_t kTemporaryNameLength = 14;

// Replaces (or creates) `path` with `bytes`. An existing regular file keeps its permission
// bits; one without any write permission bit counts as read-only and is refused.
//
// A symbolic link at `path` itself is replaced by the new regular file, not followed: in a
// folder others may write to, a planted link must not send the bytes somewhere else, and a
// dangling one is no file to keep. Only when `openedFrom` is given (the identity of the file
// the document was read from) and the link leads to exactly that file is the link followed:
// its target is replaced and the link stays. Links in the folders above are always followed.
//
// Before the save, temporaries of ours older than a day that an ended run left in the folder
// are removed (see SweepStaleTemporaries). After the rename the folder is flushed too, so the
// new name survives a power cut. Returns 0, or the errno value of what failed (EACCES for a
// read-only target, EISDIR for a folder or another kind of file, ENAMETOOLONG for a name the
// file system does not take), leaving the old file as it was.
int ReplaceFile(const std::string& path, std::span<const std::uint8_t> bytes,
                std::optional<FileIdentity> openedFrom = std::nullopt);
inline bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                std::optional<FileIdentity> openedFrom = std::nullopt) {
  return ReplaceFile(path, bytes, openedFrom) == 0;
}

// Writes `bytes` whole into `folder` under the first free name of nameFor(1), nameFor(2), ...
// nameFor(attempts), and never over a file: the bytes go to a temporary of ours, flushed, that
// gets its name by a hard link, which fails rather than replace a file, so the name only ever
// appears with the whole file behind it. A signal during the write takes the temporary with
// it. Returns 0 with the file's path in `path`, or the errno value of what failed (EEXIST
// when every name was taken).
int StoreUnderFreeName(const std::string& folder, std::span<const std::uint8_t> bytes,
                       const std::function<std::string(int)>& nameFor, int attempts,
                       std::string& path);

// 0 when ReplaceFile(path, ..., openedFrom) may be expected to succeed: the folder of what
// would be replaced exists and may be written in, the name fits its file system, and an
// existing target is a writable regular file. Else the errno value that describes why not.
// Nothing is created.
int CheckReplaceable(const std::string& path, std::optional<FileIdentity> openedFrom = std::nullopt);

// Removes from `folder` the regular files of this user named exactly as our temporaries are
// (the prefix, then six letters or digits) whose last change is more than a day old: what a
// killed run left behind. Nothing else is touched. Returns how many were removed.
int SweepStaleTemporaries(const std::string& folder);

// For tests: called once a save's temporary file is complete, just before it is renamed over
// the target; nullptr for none.
void SetBeforeRenameHook(void (*hook)());

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
// it is a regular file of at most `maxBytes`. Returns the descriptor (close-on-exec), or none
// with the reason in `why`. `identity`, when given, receives the opened file's identity.
UniqueFd OpenRegularFile(const std::string& path, std::size_t maxBytes, ReadError* why = nullptr,
                         FileIdentity* identity = nullptr);

// What a read does with bytes past its limit.
enum class BeyondLimit {
  Refuse,       // the read fails as TooLarge; a file longer than the limit is not even read
  LeaveUnread,  // the read ends at the limit with what it has, and the rest stays unread
};

// Reads from `fd` to its end (a pipe or standard input too), taking at most `maxBytes`.
// Returns false when a read fails (ReadFailed) or, under BeyondLimit::Refuse, more bytes come
// (TooLarge); `out` then is empty and `why` says why.
bool ReadFromDescriptor(int fd, std::vector<std::uint8_t>& out, std::size_t maxBytes = kNoSizeLimit,
                        BeyondLimit beyond = BeyondLimit::Refuse, ReadError* why = nullptr);

// Reads the whole of a regular file of at most `maxBytes`, or with BeyondLimit::LeaveUnread
// the first `maxBytes` of a regular file of any length. Returns false when it cannot be opened
// or read, or is refused as above; `out` then is empty and `why` says why. `identity` is
// filled in once the file is open, even when its read then fails.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out,
                   std::size_t maxBytes = kNoSizeLimit, ReadError* why = nullptr,
                   FileIdentity* identity = nullptr, BeyondLimit beyond = BeyondLimit::Refuse);

}  // namespace rondel
