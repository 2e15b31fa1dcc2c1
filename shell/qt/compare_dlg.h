// SPDX-License-Identifier: GPL-3.0-or-later
// CCompareDlg: what File → Compare with... found, one difference a row (where, this document,
// the other file), or the line that there is none; a button opens the other file instead.
#pragma once

#include <QDialog>

#include "shell/document/compare_command.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace rondel {

class CCompareDlg : public QDialog {
  Q_OBJECT
 public:
  // The result when the user asked for the other file to become the document.
  static constexpr int kOpenOther = 2;

  CCompareDlg(const FileComparison& comparison, QWidget* parent);
  QTableWidget* Table() const { return m_table; }
  QLabel* Summary() const { return m_summary; }
  QPushButton* OpenButton() const { return m_open; }
  QPushButton* CloseButton() const { return m_close; }

 private:
  QTableWidget* m_table = nullptr;
  QLabel* m_summary = nullptr;
  QPushButton* m_open = nullptr;
  QPushButton* m_close = nullptr;
};

}  // namespace rondel
