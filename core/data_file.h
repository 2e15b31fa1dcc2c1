// SPDX-License-Identifier: GPL-3.0-or-later
// The ".dig" data file: the 48-byte header and the 4096-byte image, byte for byte (4144 bytes).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/model_info.h"
#include "core/rondel_doc.h"
#include "platform/atomic_file.h"

namespace rondel {

inline constexpr const char* kDataFileExtension = ".dig";

enum class LoadResult {
  Loaded,          // header accepted; the image holds what the file holds
  Incomplete,      // header accepted, but the file ends before 4144 bytes: the rest stays blank
                   // and the caller warns, so a cut-off copy is never taken for a whole one
  HeaderRejected,  // not ours: the first 24 bytes differ, or the file is too short to hold
                   // them (an empty file too). The document is left as it was; the caller
                   // shows IDS_WARN_LOAD
  CannotOpen,      // the file could not be opened or read, or is no regular file: the
                   // document is untouched
};

// What the loader found, for the caller's message.
struct LoadDetails {
  std::size_t length = 0;  // bytes read, at most 4144
  ReadError error;         // why a file could not be opened (CannotOpen)
  // The file that was opened, whatever its contents; StoreDataFile takes it back to save
  // over that same file through a symbolic link.
  std::optional<FileIdentity> identity;
};

// A file whose header is accepted: at least the compared 24 bytes, and those are ours. Only
// "Pelto Radio Program data" is compared, so files of other versions load as well.
bool HeaderAccepted(std::span<const std::uint8_t> bytes);

// A refused file leaves the document alone. Otherwise blanks the document, then fills header
// and image from `bytes` as far as they reach (a short file leaves the rest blank, bytes after
// 4144 are ignored) and computes the band limits.
LoadResult LoadDocument(CRondelDoc& doc, std::span<const std::uint8_t> bytes,
                        const ModelDataSource& models);

// Reads at most 4144 bytes from the open descriptor `fd` (a pipe too: standard input) and
// loads them as above; what follows them is left unread.
LoadResult LoadDataStream(CRondelDoc& doc, int fd, const ModelDataSource& models,
                          LoadDetails* details = nullptr);
// Reads at most 4144 bytes of the regular file `path` and loads them as above.
LoadResult LoadDataFile(CRondelDoc& doc, const std::string& path, const ModelDataSource& models,
                        LoadDetails* details = nullptr);

// Header then image, 4144 bytes.
std::vector<std::uint8_t> SerializeDocument(const CRondelDoc& doc);

// Writes the file whole or not at all (temporary file renamed over the target), then computes
// the band limits again. Returns false when the file could not be written, with the errno
// value of the cause in `error` when given. A symbolic link at `path` is replaced by the file,
// unless it leads to the file `openedFrom` names (LoadDetails::identity of the load the
// document came from): then that file is replaced and the link stays (see ReplaceFile).
bool StoreDataFile(CRondelDoc& doc, const std::string& path, const ModelDataSource& models,
                   int* error = nullptr, std::optional<FileIdentity> openedFrom = std::nullopt);

}  // namespace rondel
