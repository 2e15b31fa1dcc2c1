// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui_support.h"

#include <QAbstractButton>
#include <QSettings>
#include <QTest>

#include <cstdlib>
#include <filesystem>

#include "platform/dialogs/dialog_builder.h"
#include "platform/profile.h"
#include "platform/qt/recent_file_store.h"
#include "shell/qt/main_frame.h"
#include "view/rondel_view.h"

namespace rondel::test {

ProgramFolder::ProgramFolder() {
  namespace fs = std::filesystem;
  const fs::path resources = fs::path(RONDEL_SOURCE_DIR) / "resources";
  for (const char* f : {"setting.ini", "english.lang", "chinese.lang"}) fs::copy_file(resources / f, File(f));
}

void ProgramFolder::SetIni(std::string_view section, std::string_view key, std::string_view value) const {
  ASSERT_TRUE(profile::WriteString(Ini(), section, key, value));
}

std::string ProgramFolder::GetIni(std::string_view section, std::string_view key) const {
  return profile::GetString(Ini(), section, key, "<none>", 1000);
}

void ProgramFolder::MapPorts(const std::string& device, int com, bool search) const {
  for (int n = 1; n <= 8; ++n)
    SetIni("ports", "com" + std::to_string(n), n == com ? device : File("absent-port-" + std::to_string(n)));
  SetIni("setup", "searchcom", search ? "1" : "0");
}

ModalScript::ModalScript() {
  SetModalRunner([this](QDialog& dialog) { return Run(dialog); });
}

ModalScript::~ModalScript() { SetModalRunner({}); }

int ModalScript::Run(QDialog& dialog) {
  const QVariant number = dialog.property(kDialogNumberProperty);
  shown.push_back(number.isValid() ? number.toInt() : -1);
  if (m_steps.empty()) {
    ADD_FAILURE() << "unexpected dialog " << shown.back() << " (" << dialog.metaObject()->className() << ")";
    return QDialog::Rejected;
  }
  Step step = std::move(m_steps.front());
  m_steps.pop_front();
  dialog.show();  // on the screen before the user acts, as the dialog's own run has it
  return step(dialog);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_name(name) {
  if (const char* old = std::getenv(name)) m_old = old;
  if (value) {
    ::setenv(name, value, 1);
  } else {
    ::unsetenv(name);
  }
}

ScopedEnv::~ScopedEnv() {
  if (m_old) {
    ::setenv(m_name.c_str(), m_old->c_str(), 1);
  } else {
    ::unsetenv(m_name.c_str());
  }
}

void ClearRecentFiles() { CQSettingsRecentFileStore().Save({}); }

void ProgramTest::TearDown() {
  m_app.reset();
  EXPECT_TRUE(m_modals.Exhausted()) << "a scripted dialog step was not used";
  EXPECT_TRUE(m_prompter.Exhausted()) << "a scripted answer was not used";
}

bool ProgramTest::Start(const std::vector<std::string>& args) {
  m_app = std::make_unique<CRondelApp>(CreateRondelView, m_folder.path());
  return m_app->InitInstance(args);
}

CMainFrame& ProgramTest::Frame() {
  CMainFrame* frame = m_app ? m_app->MainFrame() : nullptr;
  if (frame == nullptr) throw std::runtime_error("the program has no main window");
  return *frame;
}

QAbstractButton* Button(const QWidget* dialog, int id) { return qobject_cast<QAbstractButton*>(FindControl(dialog, id)); }

int Click(QDialog& dialog, int id) {
  QAbstractButton* button = Button(&dialog, id);
  if (button == nullptr) {
    ADD_FAILURE() << "the dialog has no button " << id;
    return -1;
  }
  QTest::mouseClick(button, Qt::LeftButton);
  return dialog.result();
}

}  // namespace rondel::test
