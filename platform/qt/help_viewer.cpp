#include "platform/qt/help_viewer.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QPointer>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStringDecoder>
#include <QStyle>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>

#include <functional>

#include "platform/qt/help_contents.h"

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
      if (!data) {
        return PageHtml(HelpText("IDS_HELP_NOPAGE", "This page is not in the help file:").toHtmlEscaped() +
                        QLatin1Char(' ') + FromUtf8(path).toHtmlEscaped());
      }
      // The page's own meta charset decides; our pages are UTF-8, and so is the fallback.
      QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
      if (!decoder.isValid()) decoder = QStringDecoder(QStringDecoder::Utf8);
      return QString(decoder(bytes));
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

CHelpViewer::CHelpViewer(QWidget* parent) : QMainWindow(parent, Qt::Window) {
  setObjectName(QStringLiteral("helpViewer"));
  // Help open on its own must not keep the program running when the main window closes.
  setAttribute(Qt::WA_QuitOnClose, false);

  auto* splitter = new QSplitter(this);
  m_contents = new QTreeWidget(splitter);
  m_contents->setObjectName(QStringLiteral("helpContents"));
  m_contents->setHeaderHidden(true);
  m_contents->setColumnCount(1);
  m_contents->header()->setStretchLastSection(true);
  m_browser = new CHelpBrowser(splitter);
  m_browser->setObjectName(QStringLiteral("helpBrowser"));
  splitter->addWidget(m_contents);
  splitter->addWidget(m_browser);
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({220, 580});
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
  connect(m_browser, &QTextBrowser::sourceChanged, this,
          [this](const QUrl& url) { SelectTopic(url.scheme() == kScheme ? ObjectPathOf(url) : std::string()); });
  connect(m_contents, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item) { OnContentsItemChosen(item); });
  connect(m_contents, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { OnContentsItemChosen(item); });

  resize(820, 620);
}

CHelpViewer::~CHelpViewer() = default;

void CHelpViewer::RetranslateUi() {
  m_navigation->setWindowTitle(HelpText("IDS_HELP_NAVIGATION", "Navigation"));
  m_back->setText(HelpText("IDS_HELP_BACK", "Back"));
  m_forward->setText(HelpText("IDS_HELP_FORWARD", "Forward"));
  m_homeAction->setText(HelpText("IDS_HELP_HOME", "Home"));
}

bool CHelpViewer::OpenFile(const std::string& chmPath) {
  m_path = chmPath;
  m_archive.reset();
  m_home.clear();
  m_browser->SetArchive(nullptr);
  {
    const QSignalBlocker block(m_contents);
    m_contents->clear();
  }
  m_homeAction->setEnabled(false);

  // A damaged file can still open; without a readable first page it is no help file either.
  auto archive = std::make_shared<CChmArchive>();
  std::string home;
  if (archive->Open(chmPath)) home = archive->DefaultTopic();
  if (home.empty() || !archive->Read(home)) {
    ShowMessage(HelpText("IDS_HELP_CANNOTOPEN", "Cannot open the help file:").toHtmlEscaped() + QLatin1Char(' ') +
                FromUtf8(chmPath).toHtmlEscaped());
    return false;
  }
  m_archive = std::move(archive);
  m_home = home;
  m_browser->SetArchive(m_archive);
  const QString title = FromUtf8(m_archive->Title());
  setWindowTitle(title.isEmpty() ? QFileInfo(FromUtf8(chmPath)).completeBaseName() : title);
  FillContents();
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
