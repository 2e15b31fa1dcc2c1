// SPDX-License-Identifier: GPL-3.0-or-later
// The help viewer's full-text search: the plain text of every page of a help file, read once
// per file at the first search, and the pages that hold all the words of a query.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/help/chm_archive.h"

namespace rondel {

// A page's bytes as text: the page's own meta charset decides, UTF-8 when it names none.
QString DecodeHelpPage(const QByteArray& bytes);

// The words of a query, split at any white space (the ideographic space too). Chinese is written
// without spaces, so a run of its characters is one word, found as it stands.
QStringList SearchWords(const QString& query);

struct HelpSearchHit {
  std::string page;  // object path, "/reading.html"
  QString title;     // the page's <title>, else its contents entry, else its path
  int hits = 0;      // how often the words occur on the page
};

class CHelpSearchIndex {
 public:
  // A page and the name its contents entry gives it, in the order of the contents.
  using ContentsEntry = std::pair<std::string, QString>;

  // Forgets the texts read so far; the next Find reads the pages of `archive` (none when null).
  void Reset(std::shared_ptr<const CChmArchive> archive, std::vector<ContentsEntry> contents);
  // The pages that hold every word of the query, case-insensitively, in their text as the
  // browser shows it (tags gone, entities decoded): most hits first, ties in reading order (the
  // contents first, then the archive's order). Empty for a blank query.
  std::vector<HelpSearchHit> Find(const QString& query);
  bool IsLoaded() const { return m_loaded; }

 private:
  struct Page {
    std::string path;
    QString title;
    QString text;
  };
  void Load();

  std::shared_ptr<const CChmArchive> m_archive;
  std::vector<ContentsEntry> m_contents;
  std::vector<Page> m_pages;
  bool m_loaded = false;
};

}  // namespace rondel
