// The ".dig" data file: the 48-byte header and the 4096-byte image, byte for byte (4144 bytes).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/model_info.h"
#include "core/rondel_doc.h"

namespace rondel {

inline constexpr const char* kDataFileFilter = "Radio Program Data Files(*.dig)";
inline constexpr const char* kDataFileExtension = ".dig";

enum class LoadResult {
  Loaded,          // header accepted; the image holds what the file holds
  Empty,           // zero-length file: the document stays blank
  HeaderRejected,  // first 24 bytes are not ours: image all 0xFF, the caller shows IDS_WARN_LOAD
  CannotOpen,      // the file could not be opened or read: the document is untouched
};

// Blanks the document, then fills header and image from `bytes` as far as they reach (a short
// file leaves the rest blank, bytes after 4144 are ignored) and computes the band limits.
LoadResult LoadDocument(CRondelDoc& doc, std::span<const std::uint8_t> bytes,
                        const ModelDataSource& models);

// Reads at most 4144 bytes of `path` and loads them as above.
LoadResult LoadDataFile(CRondelDoc& doc, const std::string& path, const ModelDataSource& models);

// Header then image, 4144 bytes.
std::vector<std::uint8_t> SerializeDocument(const CRondelDoc& doc);

// Writes the file whole or not at all (temporary file renamed over the target), then computes
// the band limits again. Returns false when the file could not be written.
bool StoreDataFile(CRondelDoc& doc, const std::string& path, const ModelDataSource& models);

}  // namespace rondel
