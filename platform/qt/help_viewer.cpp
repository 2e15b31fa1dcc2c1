// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/help_viewer.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <functional>

#include "platform/help/help_contents.h"

namespace rondel {
namespace {

const QString kScheme = QStringLiteral("chm");
constexpr int kTopicRole = Qt::UserRole;

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

std::string ObjectPathOf(const QUrl& url) {
  return NormaliseChmPath(url.path(QUrl::FullyDecoded).toStdString());
}

QString PageHtml(const QString& body) {
  return QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><p>") + body +
         QStringLiteral("</p></body></html>");
}

QPointer<CHelpViewer>& TheViewer() {
  static QPointer<CHelpViewer> viewer;
  return viewer;
}

// ---- the viewer's own words ----

HelpTextLookup& HelpTexts() {
  static HelpTextLookup lookup;
  return lookup;
}

QString HelpText(const char* key, const char* english) {
  const HelpTextLookup& lookup = HelpTexts();
  return lookup ? QString::fromStdString(lookup(key)) : QString::fromUtf8(english);
}

// Why a help file or one of its pages cannot be shown, in the program's own words; the limits
// are named with the numbers the reader holds the file to.
QString HelpErrorText(ChmError error, const ChmLimits& limits) {
  const auto mib = [](std::uint64_t bytes) { return QString::number(bytes >> 20); };
  switch (error) {
    case ChmError::kNone: return {};
    case ChmError::kMissing: return HelpText("IDS_HELP_WHY_MISSING", "The file does not exist.");
    case ChmError::kUnreadable:
      return HelpText("IDS_HELP_WHY_UNREADABLE", "The file cannot be read: it is a folder, or you may not read it.");
    case ChmError::kNotHelpFile: return HelpText("IDS_HELP_WHY_NOTHELP", "It is not a compiled help file (.chm).");
    case ChmError::kDamaged: return HelpText("IDS_HELP_WHY_DAMAGED", "The file is damaged.");
    case ChmError::kTooLarge:
      return HelpText("IDS_HELP_WHY_TOOLARGE", "The file, or a page in it, is larger than a help file may be (%1 MiB).")
          .arg(mib(std::min(limits.maxFileSize, limits.maxObjectSize)));
    case ChmError::kTooManyObjects:
      return HelpText("IDS_HELP_WHY_OBJECTS", "It names more pages than a help file may hold (%1).").arg(limits.maxObjects);
    case ChmError::kMemoryLimit:
      return HelpText("IDS_HELP_WHY_MEMORY",
                      "Reading it would take more memory than a help file may use (%1 MiB); the file is probably damaged.")
          .arg(mib(limits.maxMemory));
    case ChmError::kTimeLimit:
      return HelpText("IDS_HELP_WHY_TIME",
                      "Reading it took longer than a help file may take (%1 seconds); the file is probably damaged.")
          .arg(std::chrono::duration_cast<std::chrono::seconds>(limits.maxTime).count());
  }
  return {};
}

}  // namespace

void SetHelpTextLookup(HelpTextLookup lookup) { HelpTexts() = std::move(lookup); }

QUrl ChmUrl(const std::string& objectPath) {
  QUrl url;
  url.setScheme(kScheme);
  url.setPath(FromUtf8(NormaliseChmPath(objectPath)));
  return url;
}

// ---- CHelpBrowser ----

CHelpBrowser::CHelpBrowser(QWidget* parent) : QTextBrowser(parent) {
  // Links are followed here: Qt would hand every link of an unknown scheme to the desktop.
  setOpenLinks(false);
  setOpenExternalLinks(false);
  connect(this, &QTextBrowser::anchorClicked, this, &CHelpBrowser::FollowLink);
}

void CHelpBrowser::SetArchive(std::shared_ptr<const CChmArchive> archive) {
  m_archive = std::move(archive);
  clearHistory();
}

void CHelpBrowser::FollowLink(const QUrl& url) {
  if (url.scheme() == kScheme || url.isRelative()) {
    setSource(url.isRelative() ? source().resolved(url) : url);
  } else if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https") ||
             url.scheme() == QLatin1String("mailto")) {
    QDesktopServices::openUrl(url);
  }
}

QVariant CHelpBrowser::loadResource(int type, const QUrl& name) {
  QUrl url = name;
  if (url.isRelative()) url = (m_page.isEmpty() ? source() : m_page).resolved(url);
  if (url.scheme() != kScheme || !m_archive) return QTextBrowser::loadResource(type, name);

  const std::string path = ObjectPathOf(url);
  const std::optional<std::string> data = m_archive->Read(path);
  const QByteArray bytes = data ? QByteArray(data->data(), static_cast<qsizetype>(data->size())) : QByteArray();

  switch (type) {
    case QTextDocument::HtmlResource: {
      m_page = url.adjusted(QUrl::RemoveFragment | QUrl::RemoveQuery);
      if (!data && m_archive->Contains(path)) {
        return PageHtml(HelpText("IDS_HELP_BADPAGE", "This page of the help file cannot be read:").toHtmlEscaped() +
                        QLatin1Char(' ') + FromUtf8(path).toHtmlEscaped() + QStringLiteral("<br>") +
                        HelpErrorText(m_archive->Error(), m_archive->Limits()).toHtmlEscaped());
      }
      if (!data) {
        return PageHtml(HelpText("IDS_HELP_NOPAGE", "This page is not in the help file:").toHtmlEscaped() +
                        QLatin1Char(' ') + FromUtf8(path).toHtmlEscaped());
      }
      return DecodeHelpPage(bytes);
    }
    case QTextDocument::ImageResource: {
      if (!data) return {};
      QImage image;
      if (!image.loadFromData(bytes)) return {};
      return image;
    }
    case QTextDocument::StyleSheetResource:
      return data ? QVariant(QString::fromUtf8(bytes)) : QVariant();
    default:
      return data ? QVariant(bytes) : QVariant();
  }
}

// ---- CHelpViewer ----

namespace {

constexpr int kMaxMarkedHits = 2000;  // a page full of one letter must not stall the viewer

QTextCursor EarliestHit(const QTextDocument* document, const QStringList& words, const QTextCursor& from,
                        bool backward) {
  const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  QTextCursor best;
  for (const QString& word : words) {
    const QTextCursor hit = document->find(word, from, flags);
    if (hit.isNull()) continue;
    if (best.isNull() || (backward ? hit.selectionStart() > best.selectionStart()
                                   : hit.selectionStart() < best.selectionStart())) {
      best = hit;
    }
  }
  return best;
}

QListWidgetItem* FirstVisible(const QListWidget* list) {
  for (int i = 0; i < list->count(); ++i) {
    if (!list->item(i)->isHidden()) return list->item(i);
  }
  return nullptr;
}

}  // namespace

CHelpViewer::CHelpViewer(QWidget* parent) : QMainWindow(parent, Qt::Window) {
  setObjectName(QStringLiteral("helpViewer"));
  // Help open on its own must not keep the program running when the main window closes.
  setAttribute(Qt::WA_QuitOnClose, false);

  auto* splitter = new QSplitter(this);
  m_tabs = new QTabWidget(splitter);
  m_tabs->setObjectName(QStringLiteral("helpTabs"));
  m_tabs->setDocumentMode(true);
  m_contents = new QTreeWidget;
  m_contents->setObjectName(QStringLiteral("helpContents"));
  m_contents->setHeaderHidden(true);
  m_contents->setColumnCount(1);
  m_contents->header()->setStretchLastSection(true);

  // The index panel joins the tabs only for a file that has an index.
  m_indexPanel = new QWidget(this);
  m_indexPanel->setObjectName(QStringLiteral("helpIndexPanel"));
  m_indexPanel->hide();
  m_indexFilter = new QLineEdit(m_indexPanel);
  m_indexFilter->setObjectName(QStringLiteral("helpIndexFilter"));
  m_indexFilter->setClearButtonEnabled(true);
  m_indexFilter->installEventFilter(this);
  m_indexList = new QListWidget(m_indexPanel);
  m_indexList->setObjectName(QStringLiteral("helpIndexList"));
  auto* indexLayout = new QVBoxLayout(m_indexPanel);
  indexLayout->setContentsMargins(4, 4, 4, 4);
  indexLayout->addWidget(m_indexFilter);
  indexLayout->addWidget(m_indexList);

  m_searchPanel = new QWidget;
  m_searchPanel->setObjectName(QStringLiteral("helpSearchPanel"));
  m_searchField = new QLineEdit(m_searchPanel);
  m_searchField->setObjectName(QStringLiteral("helpSearchField"));
  m_searchField->setClearButtonEnabled(true);
  m_searchField->installEventFilter(this);
  m_searchStatus = new QLabel(m_searchPanel);
  m_searchStatus->setObjectName(QStringLiteral("helpSearchStatus"));
  m_searchStatus->setWordWrap(true);
  m_searchResults = new QListWidget(m_searchPanel);
  m_searchResults->setObjectName(QStringLiteral("helpSearchResults"));

  m_findAction = new QAction(this);
  m_findAction->setShortcut(QKeySequence::Find);
  m_findNext = new QAction(style()->standardIcon(QStyle::SP_ArrowDown), QString(), this);
  m_findPrevious = new QAction(style()->standardIcon(QStyle::SP_ArrowUp), QString(), this);
  // F3 is what users of this kind of program know; the desktop's own keys work as well.
  auto withF3 = [](QKeySequence f3, QKeySequence::StandardKey standard) {
    QList<QKeySequence> keys{f3};
    for (const QKeySequence& key : QKeySequence::keyBindings(standard)) {
      if (!keys.contains(key)) keys.append(key);
    }
    return keys;
  };
  m_findNext->setShortcuts(withF3(QKeySequence(Qt::Key_F3), QKeySequence::FindNext));
  m_findPrevious->setShortcuts(withF3(QKeySequence(Qt::SHIFT | Qt::Key_F3), QKeySequence::FindPrevious));
  addActions({m_findAction, m_findNext, m_findPrevious});  // the window's, whichever tab is shown
  auto* previousButton = new QToolButton(m_searchPanel);
  previousButton->setDefaultAction(m_findPrevious);
  previousButton->setAutoRaise(true);
  auto* nextButton = new QToolButton(m_searchPanel);
  nextButton->setDefaultAction(m_findNext);
  nextButton->setAutoRaise(true);

  auto* fieldRow = new QHBoxLayout;
  fieldRow->setSpacing(2);
  fieldRow->addWidget(m_searchField, 1);
  fieldRow->addWidget(previousButton);
  fieldRow->addWidget(nextButton);
  auto* searchLayout = new QVBoxLayout(m_searchPanel);
  searchLayout->setContentsMargins(4, 4, 4, 4);
  searchLayout->addLayout(fieldRow);
  searchLayout->addWidget(m_searchStatus);
  searchLayout->addWidget(m_searchResults, 1);

  m_tabs->addTab(m_contents, QString());
  m_tabs->addTab(m_searchPanel, QString());

  m_browser = new CHelpBrowser(splitter);
  m_browser->setObjectName(QStringLiteral("helpBrowser"));
  splitter->addWidget(m_tabs);
  splitter->addWidget(m_browser);
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({250, 610});
  setCentralWidget(splitter);

  m_navigation = addToolBar(QString());
  m_navigation->setObjectName(QStringLiteral("helpNavigation"));
  m_navigation->setMovable(false);
  m_back = m_navigation->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QString());
  m_forward = m_navigation->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QString());
  m_homeAction = m_navigation->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QString());
  RetranslateUi();
  m_back->setShortcut(QKeySequence::Back);
  m_forward->setShortcut(QKeySequence::Forward);
  m_back->setEnabled(false);
  m_forward->setEnabled(false);
  m_homeAction->setEnabled(false);
  connect(m_back, &QAction::triggered, m_browser, &QTextBrowser::backward);
  connect(m_forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
  connect(m_homeAction, &QAction::triggered, this, [this] { ShowTopic(m_home); });
  connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
  connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
  // The browser announces the new address before source() reports it, so the argument counts.
  connect(m_browser, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
    m_browser->setExtraSelections({});  // marks of the page before
    SelectTopic(url.scheme() == kScheme ? ObjectPathOf(url) : std::string());
  });
  connect(m_contents, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item) { OnContentsItemChosen(item); });
  connect(m_contents, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { OnContentsItemChosen(item); });

  connect(m_indexFilter, &QLineEdit::textChanged, this, &CHelpViewer::OnIndexFilterChanged);
  connect(m_indexList, &QListWidget::currentItemChanged, this,
          [this](QListWidgetItem* item) { OnIndexItemChosen(item); });
  connect(m_indexList, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { OnIndexItemChosen(item); });

  connect(m_findAction, &QAction::triggered, this, &CHelpViewer::FocusSearch);
  connect(m_findNext, &QAction::triggered, this, [this] { FindInPage(false); });
  connect(m_findPrevious, &QAction::triggered, this, [this] { FindInPage(true); });
  connect(m_searchField, &QLineEdit::textChanged, this, &CHelpViewer::RunSearch);
  connect(m_searchResults, &QListWidget::currentItemChanged, this,
          [this](QListWidgetItem* item) { OnResultChosen(item); });
  connect(m_searchResults, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { OnResultChosen(item); });

  resize(860, 640);
}

CHelpViewer::~CHelpViewer() = default;

bool CHelpViewer::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == m_searchField && enter) {
      FindInPage(key->modifiers().testFlag(Qt::ShiftModifier));
      return true;
    }
    if (watched == m_indexFilter && (enter || key->key() == Qt::Key_Down)) {
      QListWidgetItem* first = m_indexList->currentItem();
      if (!first || first->isHidden()) first = FirstVisible(m_indexList);
      if (!first) return true;
      if (enter) {
        m_indexList->setCurrentItem(first);
        OnIndexItemChosen(first);  // also when it was the current one already
      } else {
        m_indexList->setFocus(Qt::OtherFocusReason);
        m_indexList->setCurrentItem(first);
      }
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void CHelpViewer::RetranslateUi() {
  m_navigation->setWindowTitle(HelpText("IDS_HELP_NAVIGATION", "Navigation"));
  m_back->setText(HelpText("IDS_HELP_BACK", "Back"));
  m_forward->setText(HelpText("IDS_HELP_FORWARD", "Forward"));
  m_homeAction->setText(HelpText("IDS_HELP_HOME", "Home"));
  m_tabs->setTabText(m_tabs->indexOf(m_contents), HelpText("IDS_HELP_CONTENTS", "Contents"));
  if (const int index = m_tabs->indexOf(m_indexPanel); index >= 0) {
    m_tabs->setTabText(index, HelpText("IDS_HELP_INDEX", "Index"));
  }
  m_tabs->setTabText(m_tabs->indexOf(m_searchPanel), HelpText("IDS_HELP_SEARCH", "Search"));
  m_indexFilter->setPlaceholderText(HelpText("IDS_HELP_INDEXHINT", "Type a keyword"));
  m_searchField->setPlaceholderText(HelpText("IDS_HELP_SEARCHHINT", "Search the help (Ctrl+F)"));
  m_searchField->setToolTip(HelpText("IDS_HELP_SEARCHTIP",
                                     "Finds the pages that hold all the words. Enter or F3: the next place on the page "
                                     "shown; Shift+F3: the previous one."));
  m_findNext->setText(HelpText("IDS_HELP_FINDNEXT", "Next on this page (F3)"));
  m_findPrevious->setText(HelpText("IDS_HELP_FINDPREV", "Previous on this page (Shift+F3)"));
  ShowSearchState();
}

bool CHelpViewer::OpenFile(const std::string& chmPath) {
  m_path = chmPath;
  m_archive.reset();
  m_home.clear();
  m_browser->SetArchive(nullptr);
  m_search.Reset(nullptr, {});
  {
    const QSignalBlocker block(m_contents);
    m_contents->clear();
  }
  // A query of the file before may not fit the new one (help in another language).
  m_searchField->clear();
  FillIndex();
  m_homeAction->setEnabled(false);

  // A damaged file can still open; without a readable first page it is no help file either.
  auto archive = std::make_shared<CChmArchive>();
  std::string home;
  ChmError why = ChmError::kNone;
  if (archive->Open(chmPath)) {
    home = archive->DefaultTopic();
    why = home.empty() ? ChmError::kDamaged : archive->Read(home) ? ChmError::kNone : archive->Error();
  } else {
    why = archive->Error();
  }
  if (why != ChmError::kNone) {
    ShowMessage(HelpText("IDS_HELP_CANNOTOPEN", "Cannot open the help file:").toHtmlEscaped() + QLatin1Char(' ') +
                FromUtf8(chmPath).toHtmlEscaped() + QStringLiteral("<br>") +
                HelpErrorText(why, archive->Limits()).toHtmlEscaped());
    return false;
  }
  m_archive = std::move(archive);
  m_home = home;
  m_browser->SetArchive(m_archive);
  const QString title = FromUtf8(m_archive->Title());
  setWindowTitle(title.isEmpty() ? QFileInfo(FromUtf8(chmPath)).completeBaseName() : title);
  FillContents();
  FillIndex();
  // The pages are read for searching only when a search asks for them.
  std::vector<CHelpSearchIndex::ContentsEntry> named;
  for (QTreeWidgetItemIterator it(m_contents); *it; ++it) {
    const QString topic = (*it)->data(0, kTopicRole).toString();
    if (!topic.isEmpty()) named.emplace_back(topic.toStdString(), (*it)->text(0));
  }
  m_search.Reset(m_archive, std::move(named));
  m_homeAction->setEnabled(true);
  // The pages of another language's file carry the same names: the browser would take the
  // same address as nothing new and keep the old page.
  if (m_browser->source().adjusted(QUrl::RemoveFragment) == ChmUrl(m_home)) {
    m_browser->reload();
    SelectTopic(m_home);
  } else {
    ShowTopic(m_home);
  }
  return true;
}

void CHelpViewer::ShowMessage(const QString& text) {
  setWindowTitle(HelpText("IDS_HELP_TITLE", "Help"));
  m_browser->clearHistory();
  m_browser->setHtml(PageHtml(text));
}

void CHelpViewer::ShowTopic(const std::string& objectPath) {
  if (!m_archive || objectPath.empty()) return;
  m_browser->setSource(ChmUrl(objectPath), QTextDocument::HtmlResource);
}

std::string CHelpViewer::CurrentTopic() const {
  if (!m_archive) return {};
  const QUrl source = m_browser->source();
  if (source.scheme() != kScheme) return {};
  return ObjectPathOf(source);
}

void CHelpViewer::FillContents() {
  const std::string hhc = m_archive->ContentsFile();
  if (hhc.empty()) return;
  const std::optional<std::string> text = m_archive->Read(hhc);
  if (!text) return;
  const std::vector<HelpTopic> topics = ParseSitemap(*text);

  const QSignalBlocker block(m_contents);
  std::function<void(const std::vector<HelpTopic>&, QTreeWidgetItem*)> add =
      [&](const std::vector<HelpTopic>& list, QTreeWidgetItem* parent) {
        for (const HelpTopic& topic : list) {
          auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_contents);
          item->setText(0, FromUtf8(topic.name));
          item->setToolTip(0, FromUtf8(topic.name));
          if (!topic.local.empty()) item->setData(0, kTopicRole, FromUtf8(ResolveChmLink(hhc, topic.local)));
          add(topic.children, item);
        }
      };
  add(topics, nullptr);
  m_contents->expandAll();
}

void CHelpViewer::SelectTopic(const std::string& objectPath) {
  const QString topic = FromUtf8(objectPath);
  const QSignalBlocker block(m_contents);
  for (QTreeWidgetItemIterator it(m_contents); *it && !topic.isEmpty(); ++it) {
    if ((*it)->data(0, kTopicRole).toString().compare(topic, Qt::CaseInsensitive) == 0) {
      m_contents->setCurrentItem(*it);
      m_contents->scrollToItem(*it);
      return;
    }
  }
  m_contents->setCurrentItem(nullptr);
}

void CHelpViewer::OnContentsItemChosen(QTreeWidgetItem* item) {
  if (!item) return;
  const QString topic = item->data(0, kTopicRole).toString();
  if (topic.isEmpty()) return;
  if (topic.toStdString() == CurrentTopic()) return;
  ShowTopic(topic.toStdString());
}

void CHelpViewer::FillIndex() {
  {
    const QSignalBlocker block(m_indexList);
    m_indexList->clear();
  }
  m_indexFilter->clear();
  const std::string hhk = m_archive ? m_archive->IndexFile() : std::string();
  const std::optional<std::string> text = hhk.empty() ? std::nullopt : m_archive->Read(hhk);
  // A sub-keyword stands with its keyword in front, so that it reads and filters as a whole.
  std::function<void(const std::vector<HelpTopic>&, const QString&)> add = [&](const std::vector<HelpTopic>& list,
                                                                              const QString& prefix) {
    for (const HelpTopic& keyword : list) {
      const QString name = prefix + FromUtf8(keyword.name);
      if (!keyword.local.empty()) {
        auto* item = new QListWidgetItem(name, m_indexList);
        item->setToolTip(name);
        item->setData(kTopicRole, FromUtf8(ResolveChmLink(hhk, keyword.local)));
      }
      add(keyword.children, name + QStringLiteral(", "));
    }
  };
  if (text) add(ParseSitemap(*text), QString());

  const int tab = m_tabs->indexOf(m_indexPanel);
  if (m_indexList->count() > 0 && tab < 0) {
    m_tabs->insertTab(m_tabs->indexOf(m_contents) + 1, m_indexPanel, HelpText("IDS_HELP_INDEX", "Index"));
  } else if (m_indexList->count() == 0 && tab >= 0) {
    m_tabs->removeTab(tab);
  }
}

void CHelpViewer::OnIndexFilterChanged(const QString& text) {
  const QString filter = text.simplified();
  for (int i = 0; i < m_indexList->count(); ++i) {
    QListWidgetItem* item = m_indexList->item(i);
    item->setHidden(!item->text().contains(filter, Qt::CaseInsensitive));
  }
  // Narrowing the list only marks its first keyword, for Enter; the page opens when it is chosen.
  const QSignalBlocker block(m_indexList);
  m_indexList->setCurrentItem(FirstVisible(m_indexList));
}

void CHelpViewer::OnIndexItemChosen(QListWidgetItem* item) {
  if (!item || item->isHidden()) return;
  const std::string topic = item->data(kTopicRole).toString().toStdString();
  if (!topic.empty() && topic != CurrentTopic()) ShowTopic(topic);
}

void CHelpViewer::FocusSearch() {
  m_tabs->setCurrentWidget(m_searchPanel);
  m_searchField->setFocus(Qt::ShortcutFocusReason);
  m_searchField->selectAll();
}

void CHelpViewer::RunSearch() {
  const std::vector<HelpSearchHit> hits = m_search.Find(m_searchField->text());
  {
    const QSignalBlocker block(m_searchResults);
    m_searchResults->clear();
    for (const HelpSearchHit& hit : hits) {
      auto* item = new QListWidgetItem(hit.title, m_searchResults);
      item->setToolTip(hit.title);
      item->setData(kTopicRole, FromUtf8(hit.page));
    }
  }
  if (SearchWords(m_searchField->text()).isEmpty()) {
    SetSearchState(SearchState::kNone);
  } else {
    SetSearchState(hits.empty() ? SearchState::kNoPage : SearchState::kFound);
  }
  MarkHits(false);
}

void CHelpViewer::OnResultChosen(QListWidgetItem* item) {
  if (!item) return;
  const std::string topic = item->data(kTopicRole).toString().toStdString();
  if (topic != CurrentTopic()) ShowTopic(topic);
  MarkHits(true);
  SetSearchState(SearchState::kFound);
}

void CHelpViewer::MarkHits(bool selectFirst) {
  const QStringList words = SearchWords(m_searchField->text());
  QTextDocument* document = m_browser->document();
  QList<QTextEdit::ExtraSelection> marks;
  QTextCharFormat marked;
  marked.setBackground(QColor(0xff, 0xe0, 0x70));
  marked.setForeground(Qt::black);
  for (const QString& word : words) {
    for (QTextCursor hit = document->find(word, 0); !hit.isNull() && marks.size() < kMaxMarkedHits;
         hit = document->find(word, hit)) {
      marks.append({hit, marked});
    }
  }
  m_browser->setExtraSelections(marks);
  if (!selectFirst) return;
  const QTextCursor first = EarliestHit(document, words, QTextCursor(document), false);
  if (first.isNull()) return;
  m_browser->setTextCursor(first);
  m_browser->ensureCursorVisible();
}

bool CHelpViewer::FindInPage(bool backward) {
  const QStringList words = SearchWords(m_searchField->text());
  if (words.isEmpty()) {
    SetSearchState(SearchState::kNone);
    return false;
  }
  QTextDocument* document = m_browser->document();
  QTextCursor hit = EarliestHit(document, words, m_browser->textCursor(), backward);
  bool wrapped = false;
  if (hit.isNull()) {
    QTextCursor end(document);
    if (backward) end.movePosition(QTextCursor::End);
    hit = EarliestHit(document, words, end, backward);
    wrapped = !hit.isNull();
  }
  if (hit.isNull()) {
    SetSearchState(SearchState::kNotOnPage);
    return false;
  }
  m_browser->setTextCursor(hit);
  m_browser->ensureCursorVisible();
  MarkHits(false);
  if (wrapped) {
    SetSearchState(SearchState::kWrapped);
  } else {
    SetSearchState(m_searchResults->count() > 0 ? SearchState::kFound : SearchState::kNone);
  }
  return true;
}

void CHelpViewer::SetSearchState(SearchState state) {
  m_searchState = state;
  ShowSearchState();
}

void CHelpViewer::ShowSearchState() {
  QString text;
  switch (m_searchState) {
    case SearchState::kNone:
      break;
    case SearchState::kFound:
      text = HelpText("IDS_HELP_FOUND", "Pages found: %1").arg(m_searchResults->count());
      break;
    case SearchState::kNoPage:
      text = HelpText("IDS_HELP_NORESULT", "No page holds all of these words.");
      break;
    case SearchState::kNotOnPage:
      text = HelpText("IDS_HELP_NOTONPAGE", "Not found on this page.");
      break;
    case SearchState::kWrapped:
      text = HelpText("IDS_HELP_WRAPPED", "Reached the end of the page and went on from the other end.");
      break;
  }
  m_searchStatus->setText(text);
  // Nothing found shows in the field itself, where the eyes are while typing.
  const bool missed = m_searchState == SearchState::kNoPage || m_searchState == SearchState::kNotOnPage;
  QPalette palette;  // sets nothing of its own: the field follows the window's colours
  if (missed) {
    palette.setColor(QPalette::Base, QColor(0xff, 0xd6, 0xd6));
    palette.setColor(QPalette::Text, Qt::black);
  }
  m_searchField->setPalette(palette);
}

// ---- ShowHelp ----

void ShowHelp(const std::string& chmPath, QWidget* parent) {
  QPointer<CHelpViewer>& viewer = TheViewer();
  if (!viewer) {
    viewer = new CHelpViewer(parent ? parent->window() : nullptr);
    // A window of the main window goes with it; one of its own goes when the program ends.
    static bool cleanupConnected = false;
    if (!parent && !cleanupConnected) {
      cleanupConnected = true;
      QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [] { delete TheViewer().data(); });
    }
  }
  viewer->RetranslateUi();
  if (viewer->FilePath() != chmPath || !viewer->IsFileOpen()) viewer->OpenFile(chmPath);
  viewer->show();
  if (viewer->isMinimized()) viewer->showNormal();
  viewer->raise();
  viewer->activateWindow();
}

CHelpViewer* HelpViewerWindow() { return TheViewer().data(); }

}  // namespace rondel
