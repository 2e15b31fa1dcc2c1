// SPDX-License-Identifier: GPL-3.0-or-later
// CChannelGrid: the channel grid of the form, the grid control in 1016 and the three editors
// laid over a cell when the grid asks for an edit. It shows what the form's rules say a row
// is (ChannelRow) and keeps no value of its own; every commit is one edit of the document.
#pragma once

#include <QObject>

#include <string>
#include <vector>

#include "shell/form/channel_columns.h"

class QWidget;

namespace rondel {

class CChoiceCellCombo;
class CFreqCellEdit;
class CGridCtrl;
class CRondelApp;
class CToneCellCombo;
struct CGridReport;

class CChannelGrid : public QObject {
 public:
  // `view` lends its palette to the read-only cells.
  CChannelGrid(CRondelApp& app, QWidget& view);
  ~CChannelGrid() override;
  CChannelGrid(const CChannelGrid&) = delete;
  CChannelGrid& operator=(const CChannelGrid&) = delete;

  // The form template's factory for the grid and its three editors (nullptr for any other
  // control); Connect once the form holds them.
  QWidget* MakeControl(QWidget* parent, int id);
  void Connect();

  CGridCtrl* Grid() const { return m_grid; }

  // Sized when the number of channels changed, then every heading and row written from the
  // image.
  void SetupChannelGrid();
  // Row n's texts, editability and read-only colours; one cell of it (an option's editor
  // stays open while its cell is written).
  void RefreshChannelRow(int n);
  void RefreshChannelCell(int n, int column);
  void FillToneList();
  // The read-only cells take the view's palette again.
  void ColourChannelRows();

  // Column widths and row heights from the texts, the editors and the template's sizes:
  // what each column needs at least, and the heading's height at those widths.
  void FitChannelGrid();
  int FittedWidth() const;
  int LeastHeadingHeight() const { return m_leastHeadingHeight; }
  // The columns share the width the grid has beyond what they need.
  void StretchColumns();

  void HideCellEditors();
  // Ends an open cell editor's edit as its focus loss would.
  void CommitCellEditor();

 private:
  void SetChannelCell(int n, int column, const std::string& text);
  void ColourChannelRow(int n);
  void StretchColumnsOnce();
  QString CellName(int row, int col) const;
  void OnGridBeginEdit(const CGridReport& report);
  void OnFrequencyEditDone();
  void OnChoiceSelected(int index);
  void OnChoiceEditDone();
  void OnToneEditDone();

  CRondelApp& m_app;
  QWidget& m_view;
  CGridCtrl* m_grid = nullptr;
  CFreqCellEdit* m_freqEdit = nullptr;
  CToneCellCombo* m_toneEdit = nullptr;
  CChoiceCellCombo* m_choiceEdit = nullptr;
  // The cell of the latest begin-edit report; kept after the edit ends.
  int m_editRow = 0;
  int m_editCol = 0;
  // The narrowest each column may be.
  std::vector<int> m_columnFit;
  int m_leastHeadingHeight = kHeadingRowHeight;
};

}  // namespace rondel
