// SPDX-License-Identifier: GPL-3.0-or-later
// Our viewer of the compiled help files, in place of the platform's HTML Help: one non-modal
// window with the table of contents, the keyword index and the search on the left and the topic
// on the right, links, pictures, back and forward, all read straight from the .chm.
#pragma once

#include <QMainWindow>
#include <QTextBrowser>
#include <QUrl>
#include <QVariant>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/help/chm_archive.h"
#include "platform/qt/help_search.h"

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace rondel {

// Topics are addressed as "chm:/<object path>", so relative links resolve inside the archive.
QUrl ChmUrl(const std::string& objectPath);

// A text browser that takes its pages, pictures and style sheets from a help archive.
class CHelpBrowser : public QTextBrowser {
  Q_OBJECT
 public:
  explicit CHelpBrowser(QWidget* parent = nullptr);
  void SetArchive(std::shared_ptr<const CChmArchive> archive);
  QVariant loadResource(int type, const QUrl& name) override;

 private:
  void FollowLink(const QUrl& url);

  std::shared_ptr<const CChmArchive> m_archive;
  QUrl m_page;  // the page being shown or loaded: the base of its relative pictures
};

// Where the viewer's own words come from: the program installs its language-file lookup
// ("IDS_HELP_*" keys); without one the viewer speaks English.
using HelpTextLookup = std::function<std::string(std::string_view key)>;
void SetHelpTextLookup(HelpTextLookup lookup);

class CHelpViewer : public QMainWindow {
  Q_OBJECT
 public:
  explicit CHelpViewer(QWidget* parent = nullptr);
  ~CHelpViewer() override;

  // The navigation texts again from the current lookup (after a change of language).
  void RetranslateUi();
  // Shows the file's default topic and contents; false when the file cannot be read, and
  // the window then says so instead.
  bool OpenFile(const std::string& chmPath);
  const std::string& FilePath() const { return m_path; }
  bool IsFileOpen() const { return m_archive != nullptr; }
  // Shows a topic of the open file by its object path ("/reading.html").
  void ShowTopic(const std::string& objectPath);
  // The object path of the page shown, empty when none.
  std::string CurrentTopic() const;

  // Steps to the next (or previous) place on the page shown that holds a word of the search
  // field, from the top again after the last; false when the page holds none.
  bool FindInPage(bool backward = false);

  CHelpBrowser* Browser() const { return m_browser; }
  QTreeWidget* Contents() const { return m_contents; }
  // The left side: "Contents", "Index" (only for a file with a keyword index) and "Search".
  QTabWidget* Tabs() const { return m_tabs; }
  QWidget* IndexPanel() const { return m_indexPanel; }
  QLineEdit* IndexFilter() const { return m_indexFilter; }
  QListWidget* IndexList() const { return m_indexList; }
  QWidget* SearchPanel() const { return m_searchPanel; }
  QLineEdit* SearchField() const { return m_searchField; }
  QListWidget* SearchResults() const { return m_searchResults; }
  QLabel* SearchStatus() const { return m_searchStatus; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // What the line under the search field says.
  enum class SearchState { kNone, kFound, kNoPage, kNotOnPage, kWrapped };

  void ShowMessage(const QString& text);
  void FillContents();
  void FillIndex();
  void SelectTopic(const std::string& objectPath);  // marks its contents entry
  void OnContentsItemChosen(QTreeWidgetItem* item);
  void OnIndexFilterChanged(const QString& text);
  void OnIndexItemChosen(QListWidgetItem* item);
  void FocusSearch();
  void RunSearch();
  void OnResultChosen(QListWidgetItem* item);
  void MarkHits(bool selectFirst);  // the words of the search field on the page shown
  void SetSearchState(SearchState state);
  void ShowSearchState();

  std::string m_path;
  std::shared_ptr<const CChmArchive> m_archive;
  std::string m_home;
  CHelpBrowser* m_browser = nullptr;
  QTreeWidget* m_contents = nullptr;
  QTabWidget* m_tabs = nullptr;
  QWidget* m_indexPanel = nullptr;
  QLineEdit* m_indexFilter = nullptr;
  QListWidget* m_indexList = nullptr;
  QWidget* m_searchPanel = nullptr;
  QLineEdit* m_searchField = nullptr;
  QLabel* m_searchStatus = nullptr;
  QListWidget* m_searchResults = nullptr;
  CHelpSearchIndex m_search;
  SearchState m_searchState = SearchState::kNone;
  QToolBar* m_navigation = nullptr;
  QAction* m_back = nullptr;
  QAction* m_forward = nullptr;
  QAction* m_homeAction = nullptr;
  QAction* m_findAction = nullptr;
  QAction* m_findNext = nullptr;
  QAction* m_findPrevious = nullptr;
};

// Opens the help file in the viewer: the one viewer window of the process is created at the
// first call (as a window of `parent`'s top-level window, when given) and raised later; a
// different file replaces the one shown. A missing or unreadable file is reported in the
// viewer's own window.
void ShowHelp(const std::string& chmPath, QWidget* parent);
// The viewer ShowHelp opened, or nullptr when there is none (not yet, or it was destroyed).
CHelpViewer* HelpViewerWindow();

}  // namespace rondel
