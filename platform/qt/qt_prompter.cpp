#include "platform/qt/qt_prompter.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

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

}  // namespace

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
  QMessageBox box(m_parent.data());
  box.setIcon(ToQtIcon(request.icon));
  box.setWindowTitle(FromUtf8(request.caption));
  box.setTextFormat(Qt::PlainText);  // paths and user texts are never read as markup
  box.setText(FromUtf8(request.text));

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

std::optional<std::string> CQtPrompter::ChooseFileToOpen(const FileDialogRequest& request) {
  return RunFileDialog(request, false);
}

std::optional<std::string> CQtPrompter::ChooseFileToSave(const FileDialogRequest& request) {
  return RunFileDialog(request, true);
}

std::optional<std::string> CQtPrompter::RunFileDialog(const FileDialogRequest& request, bool save) {
  const QString startFolder = m_lastFolder.isEmpty() ? QDir::currentPath() : m_lastFolder;
  QString start = FromUtf8(request.proposedPath);
  if (start.isEmpty()) {
    start = startFolder;
  } else if (!start.contains(QLatin1Char('/'))) {
    start = QDir(startFolder).filePath(start);  // a bare name is offered in the usual folder
  }

  // Given a file path, the dialog opens its folder and proposes the name.
  QFileDialog dialog(m_parent.data(), QString(), start);
  dialog.setNameFilter(FileDialogFilter(request.filterName, request.extension));
  dialog.setOption(QFileDialog::HideNameFilterDetails);  // show the name as the program words it
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
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;

  std::string path = files.first().toStdString();
  // A native dialog may ignore the default suffix; the document's name still gets it.
  if (save) path = WithExtension(path, request.extension);
  m_lastFolder = QFileInfo(FromUtf8(path)).absolutePath();
  return path;
}

}  // namespace rondel
