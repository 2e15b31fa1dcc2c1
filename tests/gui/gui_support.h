// SPDX-License-Identifier: GPL-3.0-or-later
// What the desktop program's tests share: a program folder of their own (settings and language
// files), scripted answers to message boxes and to the program's own dialogs, and the program
// started from that folder.
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
  // COM<com> on `device` (the virtual radio), every other port on a path that cannot exist, so
  // no real cable is ever touched.
  void MapPorts(const std::string& device, int com = 1, bool search = false) const;

 private:
  TempDir m_dir;
};

// Takes the user's part in the program's modal dialogs: each dialog run goes, in turn, to the
// next scripted step, which works it and returns its result. An unexpected dialog fails.
class ModalScript {
 public:
  using Step = std::function<int(QDialog& dialog)>;
  ModalScript();
  ~ModalScript();
  void Then(Step step) { m_steps.push_back(std::move(step)); }
  bool Exhausted() const { return m_steps.empty(); }
  std::vector<int> shown;  // template numbers of the dialogs run (-1 for the toolkit's own)

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

// The per-user recent-file list, emptied.
void ClearRecentFiles();

// Base of the tests that start the program in this process, in English, with the prompter and
// the dialog script in place before any window exists.
class ProgramTest : public ::testing::Test {
 protected:
  void TearDown() override;
  bool Start(const std::vector<std::string>& args = {});  // false when the start was refused
  CRondelApp& App() { return *m_app; }
  CMainFrame& Frame();
  CRondelDoc& Doc() { return App().Core().Doc(); }

  ScopedEnv m_all{"LC_ALL", nullptr};
  ScopedEnv m_lang{"LANG", "C.UTF-8"};
  ScriptedPrompter m_prompter;
  ModalScript m_modals;
  ProgramFolder m_folder;
  std::unique_ptr<CRondelApp> m_app;
};

// The button of a built dialog with that control number.
QAbstractButton* Button(const QWidget* dialog, int id);
// Clicks the button as a user does and returns the result the dialog ended with.
int Click(QDialog& dialog, int id);

}  // namespace rondel::test
