// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt/language_dlg.h"

#include <QComboBox>

#include <strings.h>

#include "platform/dialogs/dialog_builder.h"
#include "shell/app_paths.h"
#include "shell/language.h"
#include "shell/qt/rondel_app.h"
#include "shell/qt/translate_dialog.h"

namespace rondel {

CLanguageDlg::CLanguageDlg(CRondelApp& app, QWidget* parent)
    : CDialog(IDD_LANGUAGE, parent), m_app(app), m_list(Item<QComboBox>(IDC_LANGUAGE_LIST)) {}

bool CLanguageDlg::OnInitDialog() {
  TranslateDialog(this, TemplateNumber());
  if (m_list == nullptr) return true;
  m_list->clear();
  bool selected = false;
  for (const LanguageFile& file : ListLanguageFiles(g_strExeDir)) {
    const QString name = QString::fromStdString(file.displayName);
    AddListEntry(m_list, name);
    if (::strcasecmp(file.path.c_str(), g_strLangPath.c_str()) == 0) {
      // The first entry from the top that begins with the name, which with two equal names
      // is not necessarily this file's own.
      const int index = m_list->findText(name, Qt::MatchStartsWith);
      if (index >= 0) {
        m_list->setCurrentIndex(index);
        selected = true;
      }
    }
  }
  // A drop-down list begins with no selection unless the current file is among its entries.
  if (!selected) m_list->setCurrentIndex(-1);
  return true;
}

void CLanguageDlg::OnOK() {
  const std::string chosen =
      m_list != nullptr && m_list->currentIndex() >= 0 ? m_list->currentText().toStdString() : std::string();
  for (const LanguageFile& file : ListLanguageFiles(g_strExeDir)) {
    if (file.displayName == chosen) {
      m_app.Settings().WriteLanguage(file.name);
      g_strLangPath = file.path;
      break;
    }
  }
  // Also without a match: the window is refreshed in the language that is current.
  m_app.ApplyLanguage();
  EndDialog(IDOK);
}

}  // namespace rondel
