// SPDX-License-Identifier: GPL-3.0-or-later
// CRondelView: the form of the main window, built from template 101, with the radio-wide
// settings above and the channel grid below. Every update refills it from the document's
// image; the view keeps no value of its own, and each change a user makes is one edit of the
// document (form_edits), after which the view shows again what the edit says changed.
#pragma once

#include <QFont>
#include <QStringList>

#include <optional>
#include <vector>

#include "platform/dialogs/dialog_builder.h"
#include "shell/form/channel_columns.h"
#include "shell/channel_list/channel_print_layout.h"
#include "shell/qt/form_view.h"

namespace rondel {

class CChoiceCellCombo;
class CFreqCellEdit;
class CGridCtrl;
class CRondelApp;
class CToneCellCombo;
struct CGridReport;
struct EditOutcome;
enum class SettingsList;
enum class Setting;

class CRondelView : public CFormViewBase, public CPrintCycle {
 public:
  CRondelView(CRondelApp& app, QWidget* parent);
  ~CRondelView() override;

  void OnInitialUpdate() override;
  void OnUpdate() override;
  CPrintCycle& PrintCycle() override { return *this; }
  void CommitPendingEdit() override;

  // The form and its controls by number.
  QWidget* Form() const { return m_form; }
  // The form's size with every channel row and every column whole, and the least it is laid
  // out for (below it the view scrolls).
  QSize FormSizeHint() const;
  QSize FormMinimumSize() const;
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

  // Refills the priority-channel list from the image (the settings fill and every
  // frequency edit of the grid).
  void FillPriorityChannelList();

  // Printing the channel list, the same steps for the printer and the preview: the page
  // count, the measuring, one page, the end of the run.
  bool OnPreparePrinting(CPrintInfo& info) override;
  void OnBeginPrinting(QPainter& painter, CPrintInfo& info) override;
  void OnPrint(QPainter& painter, CPrintInfo& info) override;
  void OnEndPrinting(QPainter& painter, CPrintInfo& info) override;
  // The channels a printout shows, ascending: those whose receive frequency the grid shows.
  std::vector<int> PrintedChannels() const;
  // The page's last band: file, model, "page n of m".
  void PrintFooter(QPainter& painter, const CPrintInfo& info, int bandHeight) const;

 protected:
  // Focus leaving the PTT code and password edits commits them; the form's resizing lays it
  // out again.
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A new palette recolours the read-only cells.
  void changeEvent(QEvent* event) override;
  // The first show gives the frame's bars their final heights.
  void showEvent(QShowEvent* event) override;

 private:
  template <class T>
  T* Item(int id) const {
    return FindControlAs<T>(m_form, id);
  }
  QWidget* MakeControl(QWidget* parent, int id);
  void ConnectSettingsControls();
  void GiveLabelsTheirControls();
  void ConnectChannelGrid();
  void SetChannelCell(int n, int column, const std::string& text);
  void HideCellEditors();
  // Ends an open cell editor's edit as its focus loss would.
  void CommitCellEditor();
  void OnGridBeginEdit(const CGridReport& report);
  void OnFrequencyEditDone();
  void OnChoiceSelected(int index);
  void OnChoiceEditDone();
  void OnToneEditDone();
  void FillSettings();
  void ShowPasswordControls();
  void OnListSelected(SettingsList list, int index);
  void OnCheckBoxClicked(Setting setting, bool checked);
  // A PTT code or password field's text goes to the document (its focus loss).
  void CommitField(QObject* field);
  void OnEditApplied(const EditOutcome& outcome);
  // Fits the main window around the form.
  void ResizeParentToFit();
  // The frame at `size`, no larger than the screen and on it.
  void PlaceFrame(QSize size);
  // Once the frame is on screen: what the form still lacks of its size, when the frame's bars
  // came out taller than they were measured before it was shown.
  void MakeUpFirstSize();
  // After each translation: where the grid sits in the form and how wide the settings are,
  // each label on the line of its control.
  void TakeFormGeometry();
  void AlignLabelsWithControls();
  // Column widths and row heights from the texts, the editors and the template's sizes.
  void FitChannelGrid();
  // The grid takes the form below the settings; its columns share any width left over.
  void LayOutForm();
  void StretchColumns();
  void StretchColumnsOnce();
  // The read-only look of a cell, from the palette, or the grid's own for an editable one.
  void ColourChannelRow(int n);
  QString CellName(int row, int col) const;

  CRondelApp& m_app;
  QWidget* m_form = nullptr;
  CGridCtrl* m_grid = nullptr;
  CFreqCellEdit* m_freqEdit = nullptr;
  CToneCellCombo* m_toneEdit = nullptr;
  CChoiceCellCombo* m_choiceEdit = nullptr;
  // The cell of the latest begin-edit report; kept after the edit ends.
  int m_editRow = 0;
  int m_editCol = 0;
  // The grid's place in the form: its top left corner and the form's margins right of and
  // below it, and the width the settings take (all from the template, grown with the texts).
  QPoint m_gridOrigin;
  int m_gridRightMargin = 0;
  int m_gridBottomMargin = 0;
  int m_panelWidth = 0;
  // The narrowest each column may be.
  std::vector<int> m_columnFit;
  int m_leastHeadingHeight = kHeadingRowHeight;
  bool m_checkFirstSize = false;
  // One print or preview run: the margins from prepare, the page from begin, the font of the
  // step in progress.
  int m_leftMargin = 0;
  int m_rightMargin = 0;
  PrintPageGeometry m_printPage;
  std::optional<QFont> m_printerFont;
};

// `families`, followed by the face the language file names for its own script (IDS_PRINT_FACE)
// when it is not among them: the first faces keep the Latin text, the language's face sets
// whatever they have no letters for.
QStringList LanguageFamilies(const QStringList& families);
// The program's font with that face among its substitutes, so Chinese text on the form and on
// paper is set in the Simplified Chinese face rather than whichever CJK face the system finds
// first (the Japanese one). Called on every update; changes something only when the language
// did.
void UseLanguageFace();

// The view factory the program registers with the application.
CFormViewBase* CreateRondelView(CRondelApp& app, QWidget* parent);

}  // namespace rondel
