// SPDX-License-Identifier: GPL-3.0-or-later
// Any text as a channel list. A refused list leaves the document as it was and names a line
// of the text; a taken one comes out of the export as a list that reads back, into the same
// starting document, to the same channels.
#include <algorithm>
#include <cstdint>
#include <string>

#include "core/data_file.h"
#include "shell/app_paths.h"
#include "shell/channel_list/channel_csv.h"
#include "tests/fuzz/fuzz_file.h"

using namespace rondel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const CSettings settings(RONDEL_SOURCE_DIR "/resources/setting.ini");
  // A document with channels, so that a list of some columns has values to leave alone.
  static const CRondelDoc start = [] {
    g_strLangPath = RONDEL_SOURCE_DIR "/resources/english.lang";
    CRondelDoc doc;
    LoadDataFile(doc, RONDEL_SOURCE_DIR "/tests/fuzz/seeds/data_file/edited_model0.dig", settings);
    return doc;
  }();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // At most: a line ends with LF, CRLF or a CR alone.
  const long lines = 1 + std::ranges::count(text, '\n') + std::ranges::count(text, '\r');
  const auto onALine = [&](const CsvIssue& i) { return i.line >= 1 && i.line <= lines; };
  CRondelDoc doc = start;
  const CsvImport result = ImportChannelCsv(doc, settings, text);
  if (!result.Imported()) {
    Require(!result.refusal->IsWarning() && onALine(*result.refusal) && result.warnings.empty());
    Require(!result.changed && doc.image() == start.image());
    return 0;
  }
  Require(result.changed == (doc.image() != start.image()));
  for (const CsvIssue& warning : result.warnings) Require(warning.IsWarning() && onALine(warning));
  const std::string list = ExportChannelCsv(doc, settings);
  CRondelDoc again = start;
  Require(ImportChannelCsv(again, settings, list).Imported() && again.image() == doc.image());
  return 0;
}
