// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and storing the data file.
#include "core/data_file.h"

#include <algorithm>

namespace rondel {
namespace L = layout;

bool HeaderAccepted(std::span<const std::uint8_t> bytes) {
  // A file shorter than the compared text is refused outright: comparing what it holds with
  // the blank header would let a lone "P" pass as a radio's memory.
  return bytes.size() >= L::kHeaderCompareLength &&
         std::equal(L::kHeaderText.begin(), L::kHeaderText.begin() + L::kHeaderCompareLength,
                    bytes.begin());
}

LoadResult LoadDocument(CRondelDoc& doc, std::span<const std::uint8_t> bytes,
                        const ModelDataSource& models) {
  // An empty file is no exception: it would open as an all-0xFF image that a write then
  // sends into the radio.
  if (!HeaderAccepted(bytes)) return LoadResult::HeaderRejected;
  doc.Blank();

  const std::size_t headerBytes = std::min(bytes.size(), L::kHeaderSize);
  std::copy_n(bytes.begin(), headerBytes, doc.header().begin());
  const auto image = bytes.subspan(headerBytes);
  std::copy_n(image.begin(), std::min(image.size(), L::kImageSize), doc.image().begin());
  doc.ComputeBandLimits(models);
  return bytes.size() < L::kFileSize ? LoadResult::Incomplete : LoadResult::Loaded;
}

LoadResult LoadDataStream(CRondelDoc& doc, int fd, const ModelDataSource& models,
                          LoadDetails* details) {
  LoadDetails local;
  LoadDetails& d = details ? *details : local;
  d.length = 0;
  // Never more than one file's worth: whatever follows offset 4143 is ignored anyway.
  std::vector<std::uint8_t> bytes;
  ReadError error;
  if (!ReadFromDescriptor(fd, bytes, L::kFileSize, BeyondLimit::LeaveUnread, &error)) {
    d.error = error;
    return LoadResult::CannotOpen;
  }
  d.length = bytes.size();
  return LoadDocument(doc, bytes, models);
}

LoadResult LoadDataFile(CRondelDoc& doc, const std::string& path, const ModelDataSource& models,
                        LoadDetails* details) {
  LoadDetails local;
  LoadDetails& d = details ? *details : local;
  d = {};
  FileIdentity identity;
  std::vector<std::uint8_t> bytes;
  // A file of any length is taken: only its first 4144 bytes are read.
  const bool got = ReadWholeFile(path, bytes, L::kFileSize, &d.error, &identity,
                                 BeyondLimit::LeaveUnread);
  // The file was opened even when its read failed; the caller may still name it.
  if (got || d.error.problem == ReadProblem::ReadFailed) d.identity = identity;
  if (!got) return LoadResult::CannotOpen;
  d.length = bytes.size();
  return LoadDocument(doc, bytes, models);
}

std::vector<std::uint8_t> SerializeDocument(const CRondelDoc& doc) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(L::kFileSize);
  bytes.insert(bytes.end(), doc.header().begin(), doc.header().end());
  bytes.insert(bytes.end(), doc.image().begin(), doc.image().end());
  return bytes;
}

bool StoreDataFile(CRondelDoc& doc, const std::string& path, const ModelDataSource& models,
                   int* error, std::optional<FileIdentity> openedFrom) {
  const int failure = ReplaceFile(path, SerializeDocument(doc), openedFrom);
  if (error) *error = failure;
  doc.ComputeBandLimits(models);
  return failure == 0;
}

}  // namespace rondel
