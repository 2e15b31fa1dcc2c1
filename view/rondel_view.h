// CRondelView: the form of the main window, built from template 101, with the radio-wide
// settings above and the channel grid below. Every update refills it from the document's
// image; the view keeps no value of its own.
#pragma once

#include "shell/qt/form_view.h"

namespace rondel {

class CChoiceCellCombo;
class CFreqCellEdit;
class CGridCtrl;
class CRondelApp;
class CToneCellCombo;
struct CGridReport;
struct EditOutcome;

inline constexpr int kFormTemplate = 101;

class CRondelView : public CFormViewBase, public CPrintCycle {
 public:
  CRondelView(CRondelApp& app, QWidget* parent);

  void OnInitialUpdate() override;
  void OnUpdate() override;
  CPrintCycle& PrintCycle() override { return *this; }

  // The form and its controls by number.
  QWidget* Form() const { return m_form; }
  QWidget* Control(int id) const;
  CGridCtrl* Grid() const { return m_grid; }

  // The channel grid: sized when the number of channels changed, then every heading and row
  // written from the image.
  void SetupChannelGrid();
  void RefreshChannelRow(int n);
  void ShowChannelFrequency(int n, bool transmit);
  void ShowChannelTone(int n, bool transmit);
  void ShowChannelOption(int n, int column);
  void FillToneList();
  void FillPriorityChannelList();

 private:
  QWidget* MakeControl(QWidget* parent, int id);
  void ConnectChannelGrid();
  void SetChannelCell(int n, int column, const std::string& text);
  void HideCellEditors();
  void OnGridBeginEdit(const CGridReport& report);
  void OnFrequencyEditDone();
  void OnChoiceSelected(int index);
  void OnChoiceEditDone();
  void OnToneEditDone();
  void OnEditApplied(const EditOutcome& outcome);

  void FillSettings();
  void ShowPasswordControls();
  // Fits the main window around the form.
  void ResizeParentToFit();

  CRondelApp& m_app;
  QWidget* m_form = nullptr;
  CGridCtrl* m_grid = nullptr;
  CFreqCellEdit* m_freqEdit = nullptr;
  CToneCellCombo* m_toneEdit = nullptr;
  CChoiceCellCombo* m_choiceEdit = nullptr;
  // The cell of the latest begin-edit report; kept after the edit ends.
  int m_editRow = 0;
  int m_editCol = 0;
};

// The view factory the program registers with the application.
CFormViewBase* CreateRondelView(CRondelApp& app, QWidget* parent);

}  // namespace rondel
