// What the desktop program's tests share: a program folder of their own (settings file and
// language files), the scripted answers to message boxes and to the program's own dialogs,
// and the application started from that folder.
#pragma once

#include <gtest/gtest.h>

#include <QDialog>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs/modal_run.h"
#include "shell/qt/rondel_app.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

class QAbstractButton;
class QWidget;

namespace rondel::test {

// A folder laid out like the program's own: the shipped setting.ini and language files.
class ProgramFolder {
 public:
  ProgramFolder();
  const std::string& path() const { return m_dir.path(); }
  std::string File(std::string_view name) const { return m_dir.File(name); }
  std::string Ini() const { return File("setting.ini"); }
  void SetIni(std::string_view section, std::string_view key, std::string_view value) const;
  std::string GetIni(std::string_view section, std::string_view key) const;
  // Every COM port 1..8 on a device that does not exist, so no real cable is ever touched.
  void MapPortsAbsent() const;
  std::string WriteLang(std::string_view name, std::string_view text) const {
    return m_dir.Write(std::string(name) + ".lang", text);
  }
  // Replaces (or adds) one entry of a language file in place.
  void SetLang(std::string_view name, std::string_view section, std::string_view key,
               std::string_view value) const;
  const TempDir& dir() const { return m_dir; }

 private:
  TempDir m_dir;
};

// Takes the user's part in the program's modal dialogs: each dialog run is handed, in turn,
// to the next scripted step, which works it and returns its result. A dialog nobody
// expected fails the test and is cancelled.
class ModalScript {
 public:
  using Step = std::function<int(QDialog& dialog)>;
  ModalScript();
  ~ModalScript();
  void Then(Step step) { m_steps.push_back(std::move(step)); }
  bool Exhausted() const { return m_steps.empty(); }
  // The template numbers of the dialogs run so far (-1 for the toolkit's own dialogs).
  std::vector<int> shown;

 private:
  int Run(QDialog& dialog);
  std::deque<Step> m_steps;
};

// Sets or clears an environment variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();

 private:
  std::string m_name;
  std::optional<std::string> m_old;
};

// The process locale as a user without a Chinese locale has it.
struct NeutralLocale {
  ScopedEnv all{"LC_ALL", nullptr};
  ScopedEnv messages{"LC_MESSAGES", nullptr};
  ScopedEnv lang{"LANG", "C.UTF-8"};
};

// The per-user recent-file list, emptied.
void ClearRecentFiles();

// Base of the tests that start the program: prompter and dialog script installed before any
// window exists, the program folder, and the application.
class ProgramTest : public ::testing::Test {
 protected:
  void TearDown() override;
  // Starts the application from the folder; false when InitInstance refused.
  bool Start(const std::vector<std::string>& args = {});
  CRondelApp& App() { return *m_app; }
  CMainFrame& Frame();

  NeutralLocale m_locale;
  ScriptedPrompter m_prompter;
  ModalScript m_modals;
  ProgramFolder m_folder;
  std::unique_ptr<CRondelApp> m_app;
};

// The button of a built dialog with that control number.
QAbstractButton* Button(const QWidget* dialog, int id);
// Clicks the button of `dialog` with that number the way a user does and returns the result
// the dialog ended with.
int ClickAndResult(QDialog& dialog, int id);

}  // namespace rondel::test
