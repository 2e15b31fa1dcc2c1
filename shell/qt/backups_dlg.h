// SPDX-License-Identifier: GPL-3.0-or-later
// File → Radio backups...: the backups of what was read from radios, newest first, with date,
// model and channels in use; Open hands the chosen one back, Close leaves.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "shell/document/radio_backups.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace rondel {

class CBackupsDlg : public QDialog {
 public:
  CBackupsDlg(std::vector<BackupEntry> backups, QWidget* parent = nullptr);

  // The backup chosen with Open (or a double click); empty when the dialog was closed.
  const std::string& ChosenPath() const { return m_chosen; }

  // For the tests: the table (nullptr when there are no backups), the line shown instead.
  QTableWidget* Table() const { return m_table; }
  QLabel* NoneLine() const { return m_none; }
  QPushButton* OpenButton() const { return m_open; }
  QPushButton* CloseButton() const { return m_close; }

 private:
  void OnOpen();

  std::vector<BackupEntry> m_backups;
  std::string m_chosen;
  QTableWidget* m_table = nullptr;
  QLabel* m_none = nullptr;
  QPushButton* m_open = nullptr;
  QPushButton* m_close = nullptr;
};

}  // namespace rondel
