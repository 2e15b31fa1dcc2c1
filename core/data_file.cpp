// Loading and storing the data file.
#include "core/data_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/atomic_file.h"

namespace rondel {
namespace L = layout;

LoadResult LoadDocument(CRondelDoc& doc, std::span<const std::uint8_t> bytes,
                        const ModelDataSource& models) {
  doc.Blank();
  if (bytes.empty()) return LoadResult::Empty;

  const std::size_t headerBytes = std::min(bytes.size(), L::kHeaderSize);
  std::copy_n(bytes.begin(), headerBytes, doc.header().begin());

  // Only "Pelto Radio Program data" is compared: files of other versions load as well.
  const bool ours = std::equal(L::kHeaderText.begin(),
                               L::kHeaderText.begin() + L::kHeaderCompareLength,
                               doc.header().begin());
  LoadResult result = LoadResult::HeaderRejected;
  if (ours) {
    const auto image = bytes.subspan(headerBytes);
    std::copy_n(image.begin(), std::min(image.size(), L::kImageSize), doc.image().begin());
    result = LoadResult::Loaded;
  }
  doc.ComputeBandLimits(models);
  return result;
}

LoadResult LoadDataFile(CRondelDoc& doc, const std::string& path, const ModelDataSource& models) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return LoadResult::CannotOpen;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return LoadResult::CannotOpen;
  }
  // Never more than one file's worth: whatever follows offset 4143 is ignored anyway.
  std::vector<std::uint8_t> bytes(L::kFileSize);
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return LoadResult::CannotOpen;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  return LoadDocument(doc, bytes, models);
}

std::vector<std::uint8_t> SerializeDocument(const CRondelDoc& doc) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(L::kFileSize);
  bytes.insert(bytes.end(), doc.header().begin(), doc.header().end());
  bytes.insert(bytes.end(), doc.image().begin(), doc.image().end());
  return bytes;
}

bool StoreDataFile(CRondelDoc& doc, const std::string& path, const ModelDataSource& models) {
  const bool written = WriteFileAtomically(path, SerializeDocument(doc));
  doc.ComputeBandLimits(models);
  return written;
}

}  // namespace rondel
