// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/help_search.h"

#include <QStringDecoder>
#include <QTextDocument>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <set>

namespace rondel {
namespace {

// Only the text matters here: pictures and style sheets are not fetched, and a page's relative
// links must never reach for files of the working folder, which QTextDocument would do.
class CTextOnlyDocument : public QTextDocument {
 public:
  QVariant loadResource(int type, const QUrl&) override {
    return type == QTextDocument::StyleSheetResource ? QVariant(QString()) : QVariant();
  }
};

// Object paths of a help file compare without case, like the file system it was made on.
std::string Folded(const std::string& path) { return QString::fromStdString(path).toCaseFolded().toStdString(); }

}  // namespace

QString DecodeHelpPage(const QByteArray& bytes) {
  QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
  if (!decoder.isValid()) decoder = QStringDecoder(QStringDecoder::Utf8);
  return decoder(bytes);
}

QStringList SearchWords(const QString& query) {
  QStringList words;
  QString word;
  for (const QChar c : query) {
    if (c.isSpace()) {
      if (!word.isEmpty()) words.append(std::exchange(word, QString()));
    } else {
      word.append(c);
    }
  }
  if (!word.isEmpty()) words.append(word);
  words.removeDuplicates();
  return words;
}

void CHelpSearchIndex::Reset(std::shared_ptr<const CChmArchive> archive, std::vector<ContentsEntry> contents) {
  m_archive = std::move(archive);
  m_contents = std::move(contents);
  m_pages.clear();
  m_loaded = false;
}

void CHelpSearchIndex::Load() {
  m_loaded = true;
  if (!m_archive) return;
  std::map<std::string, QString> names;  // the first contents entry of a page names it
  std::vector<std::string> order;
  std::set<std::string> seen;
  for (const auto& [path, name] : m_contents) {
    const std::string key = Folded(path);
    names.emplace(key, name);
    if (IsHtmlPath(path) && seen.insert(key).second) order.push_back(path);
  }
  std::vector<std::string> listed = m_archive->List();
  for (std::string& path : listed) {
    if (IsHtmlPath(path) && seen.insert(Folded(path)).second) order.push_back(std::move(path));
  }

  for (const std::string& path : order) {
    const std::optional<std::string> bytes = m_archive->Read(path);
    if (!bytes) continue;  // a contents entry for a page the file lacks, or a damaged object
    CTextOnlyDocument document;
    document.setHtml(DecodeHelpPage(QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()))));
    Page page{path, document.metaInformation(QTextDocument::DocumentTitle).simplified(), document.toPlainText()};
    if (page.title.isEmpty()) {
      const auto named = names.find(Folded(path));
      page.title = named != names.end() && !named->second.isEmpty() ? named->second : QString::fromStdString(path.substr(1));
    }
    m_pages.push_back(std::move(page));
  }
}

std::vector<HelpSearchHit> CHelpSearchIndex::Find(const QString& query) {
  const QStringList words = SearchWords(query);
  if (words.isEmpty()) return {};
  if (!m_loaded) Load();
  std::vector<HelpSearchHit> found;
  for (const Page& page : m_pages) {
    qsizetype hits = 0;
    for (const QString& word : words) {
      const qsizetype n = page.text.count(word, Qt::CaseInsensitive);
      if (n == 0) {
        hits = 0;
        break;
      }
      hits += n;
    }
    if (hits > 0) found.push_back({page.path, page.title, static_cast<int>(std::min<qsizetype>(hits, INT_MAX))});
  }
  std::stable_sort(found.begin(), found.end(), [](const HelpSearchHit& a, const HelpSearchHit& b) { return a.hits > b.hits; });
  return found;
}

}  // namespace rondel
