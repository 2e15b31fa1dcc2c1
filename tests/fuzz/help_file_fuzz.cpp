// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a help file: input that starts like a compiled help file ("ITSF") is opened as
// one, anything else is read as the sitemap of its contents. The archive lists only its topics
// and every link of a sitemap resolves to an object path as lookups spell it, or to nothing.
#include <chrono>
#include <cstdint>
#include <string>

#include "platform/help/chm_archive.h"
#include "platform/help/help_contents.h"
#include "tests/fuzz/fuzz_file.h"

using namespace rondel;

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
  // A clock that moves on by a millisecond at each look: the time limit is reached by the work
  // an input makes, the same on every run, and never by the machine's speed.
  ChmLimits limits;
  limits.clock = [t = std::chrono::steady_clock::time_point()]() mutable { return t += std::chrono::milliseconds(1); };
  CChmArchive chm(limits);
  if (!chm.Open(file.path)) return Require(!chm.IsOpen() && chm.Error() != ChmError::kNone), 0;
  for (const std::string& name : chm.List())
    Require(name.size() > 1 && name[0] == '/' && name[1] != '#' && name[1] != '$');
  const std::string topic = chm.DefaultTopic();
  Require(topic.empty() || chm.Contains(topic) || IsHtmlPath(topic));
  (void)chm.Title(), (void)chm.IndexFile();
  // The first page and the contents go through the decompressor, as the viewer's do.
  if (!topic.empty()) (void)chm.Read(topic);
  const std::string contents = chm.ContentsFile();
  if (!contents.empty()) Walk(ParseSitemap(chm.Read(contents).value_or("")), contents);
  // Every object, as the viewer's search reads them: what comes back is as long as the
  // directory says, and what does not comes with a reason.
  for (const std::string& name : chm.List()) {
    const std::optional<std::string> data = chm.Read(name);
    Require(data ? chm.Error() == ChmError::kNone : chm.Error() != ChmError::kNone);
    if (data) Require(data->size() <= chm.Limits().maxObjectSize);
  }
  return 0;
}
