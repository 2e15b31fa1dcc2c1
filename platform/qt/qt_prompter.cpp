// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qt_prompter.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStringList>

#include "platform/qt/local_path.h"

namespace rondel {
namespace {

QMessageBox::Icon ToQtIcon(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::Error:
    case PromptIcon::Stop: return QMessageBox::Critical;
    case PromptIcon::Warning: return QMessageBox::Warning;
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

// What the program's text lookup answers for a key the language file lacks.
constexpr const char* kNotFound = "Not Found";

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Ctrl+C copies the message as it was written, without the joiners that keep paths whole.
class PromptBox : public QMessageBox {
 public:
  PromptBox(QWidget* parent, QString plain) : QMessageBox(parent), m_plain(std::move(plain)) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->matches(QKeySequence::Copy)) {
      if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(m_plain);
      event->accept();
      return;
    }
    QMessageBox::keyPressEvent(event);
  }

 private:
  QString m_plain;
};

}  // namespace

QString KeepPathsWhole(const QString& text) {
  constexpr char16_t kWordJoiner = 0x2060;
  QString out;
  out.reserve(text.size() * 2);
  qsizetype at = 0;
  while (at < text.size()) {
    // Blanks pass as they are: they are where a line may break.
    if (text[at].isSpace()) {
      out += text[at++];
      continue;
    }
    qsizetype end = at;
    while (end < text.size() && !text[end].isSpace()) ++end;
    const QStringView word = QStringView(text).mid(at, end - at);
    if (!word.contains(QLatin1Char('/'))) {
      out += word;
    } else {
      for (qsizetype i = 0; i < word.size(); ++i) {
        out += word[i];
        // Never inside a surrogate pair.
        const bool pairContinues = word[i].isHighSurrogate() && i + 1 < word.size();
        if (!pairContinues && i + 1 < word.size()) out += QChar(kWordJoiner);
      }
    }
    at = end;
  }
  return out;
}

QString FileDialogFilter(const std::string& filterName, const std::string& extension) {
  QString ext = FromUtf8(extension);
  if (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
  const QString pattern = ext.isEmpty() ? QStringLiteral("*") : QStringLiteral("*.") + ext;
  QString name = FromUtf8(filterName).simplified();
  if (name.isEmpty()) name = pattern;
  return name + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

CQtPrompter::CQtPrompter(QWidget* parent, TextLookup texts) : m_parent(parent), m_texts(std::move(texts)) {}

QString CQtPrompter::ButtonText(const char* key) const {
  if (!m_texts) return {};
  const std::string text = m_texts(key);
  if (text.empty() || text == kNotFound) return {};
  return FromUtf8(text);
}

PromptAnswer CQtPrompter::Ask(const PromptRequest& request) {
  const QString text = FromUtf8(request.text);
  PromptBox box(m_parent.data(), text);
  box.setIcon(ToQtIcon(request.icon));
  box.setWindowTitle(FromUtf8(request.caption));
  box.setTextFormat(Qt::PlainText);  // paths and user texts are never read as markup
  // Word wrapping would break a path after any "/" or "-"; a path cut in two cannot be read
  // back or copied from the screen, so the box grows to hold it on one line instead.
  box.setText(KeepPathsWhole(text));

  QMessageBox::StandardButton defaultButton = QMessageBox::Ok;
  QMessageBox::StandardButton escapeButton = QMessageBox::Ok;
  switch (request.buttons) {
    case PromptButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case PromptButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      escapeButton = QMessageBox::Cancel;
      break;
    case PromptButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      defaultButton = QMessageBox::Yes;
      escapeButton = QMessageBox::Cancel;
      break;
  }
  box.setDefaultButton(defaultButton);
  box.setEscapeButton(escapeButton);

  const struct {
    QMessageBox::StandardButton button;
    const char* key;
  } kButtonKeys[] = {{QMessageBox::Ok, "IDS_BUTTON_OK"},
                     {QMessageBox::Cancel, "IDS_BUTTON_CANCEL"},
                     {QMessageBox::Yes, "IDS_BUTTON_YES"},
                     {QMessageBox::No, "IDS_BUTTON_NO"}};
  for (const auto& b : kButtonKeys) {
    if (QAbstractButton* button = box.button(b.button)) {
      const QString text = ButtonText(b.key);
      if (!text.isEmpty()) button->setText(text);
    }
  }

  box.exec();
  const QMessageBox::StandardButton clicked = box.standardButton(box.clickedButton());
  switch (clicked) {
    case QMessageBox::Ok: return PromptAnswer::Ok;
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    case QMessageBox::Cancel: return PromptAnswer::Cancel;
    default: break;
  }
  return escapeButton == QMessageBox::Cancel ? PromptAnswer::Cancel : PromptAnswer::Ok;
}

std::optional<std::string> CQtPrompter::AskSecret(const SecretRequest& request) {
  CSecretDialog dialog(request, m_texts, m_parent.data());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Text();
}

CSecretDialog::CSecretDialog(const SecretRequest& request, const CQtPrompter::TextLookup& texts,
                             QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("secretDialog"));
  setWindowTitle(FromUtf8(request.caption));
  // A question of a few words: nothing to minimise or maximise.
  setWindowFlag(Qt::WindowMinMaxButtonsHint, false);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(FromUtf8(request.text), this);
  label->setTextFormat(Qt::PlainText);
  m_field = new QLineEdit(this);
  m_field->setObjectName(QStringLiteral("secretField"));
  m_field->setEchoMode(QLineEdit::Password);
  if (request.maxLength > 0) m_field->setMaxLength(static_cast<int>(request.maxLength));
  if (!request.allowed.empty()) {
    const QString pattern = QStringLiteral("[%1]*").arg(
        QRegularExpression::escape(QString::fromStdString(request.allowed)));
    m_field->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), m_field));
  }
  // A screen reader names the field by its label.
  label->setBuddy(m_field);
  m_field->setAccessibleName(FromUtf8(request.caption));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  const auto named = [&](QDialogButtonBox::StandardButton which, const char* key) {
    if (!texts) return;
    const std::string text = texts(key);
    if (!text.empty() && text != kNotFound) buttons->button(which)->setText(FromUtf8(text));
  };
  named(QDialogButtonBox::Ok, "IDS_BUTTON_OK");
  named(QDialogButtonBox::Cancel, "IDS_BUTTON_CANCEL");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(label);
  layout->addWidget(m_field);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  m_field->setFocus();
}

std::string CSecretDialog::Text() const { return m_field->text().toStdString(); }

std::optional<std::string> CQtPrompter::ChooseFileToOpen(const FileDialogRequest& request) {
  return RunFileDialog(request, false);
}

std::optional<std::string> CQtPrompter::ChooseFileToSave(const FileDialogRequest& request) {
  return RunFileDialog(request, true);
}

std::optional<std::string> CQtPrompter::RunFileDialog(const FileDialogRequest& request, bool save) {
  const QString startFolder = m_lastFolder.isEmpty() ? QDir::currentPath() : m_lastFolder;
  QString start = QFile::decodeName(QByteArray::fromStdString(request.proposedPath));
  if (start.isEmpty()) {
    start = startFolder;
  } else if (!start.contains(QLatin1Char('/'))) {
    start = QDir(startFolder).filePath(start);  // a bare name is offered in the usual folder
  }

  // Given a file path, the dialog opens its folder and proposes the name.
  QFileDialog dialog(m_parent.data(), QString(), start);
  QString allFiles = QStringLiteral("*");
  if (m_texts) {
    const std::string text = m_texts("IDS_FILTER_ALL");
    if (!text.empty() && text != kNotFound) allFiles = FromUtf8(text);
  }
  dialog.setNameFilters({FileDialogFilter(request.filterName, request.extension),
                         FileDialogFilter(allFiles.toStdString(), std::string())});
  dialog.setOption(QFileDialog::HideNameFilterDetails);  // show the names as the program words them
  QString suffix = FromUtf8(request.extension);
  if (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
  if (save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  // The URL, not the file name: a native dialog hands back names that are not UTF-8 with
  // their bytes percent-encoded, which a QString would lose.
  const QList<QUrl> urls = dialog.selectedUrls();
  if (urls.isEmpty()) return std::nullopt;
  std::string path = LocalPathFromUrl(urls.first());
  if (path.empty()) return std::nullopt;
  // A native dialog may ignore the default suffix; the document's name still gets it.
  if (save) path = WithExtension(path, request.extension);
  const std::size_t slash = path.rfind('/');
  if (slash != std::string::npos)
    m_lastFolder = QFile::decodeName(QByteArray::fromStdString(path.substr(0, slash + 1)));
  return path;
}

}  // namespace rondel
