// SPDX-License-Identifier: GPL-3.0-or-later
// CRondelView: the form of the main window, built from template 101, with the radio-wide
// settings above and the channel grid (CChannelGrid) below. Every update refills it from the
// document's image; the view keeps no value of its own, and each change a user makes is one
// edit of the document (form_edits), after which the view shows again what the edit says
// changed.
#pragma once

#include <QStringList>

#include "platform/dialogs/dialog_builder.h"
#include "shell/qt/form_view.h"
#include "view/channel_grid.h"
#include "view/channel_print.h"

namespace rondel {

class CGridCtrl;
class CRondelApp;
struct EditOutcome;
enum class SettingsList;
enum class Setting;

class CRondelView : public CFormViewBase {
 public:
  CRondelView(CRondelApp& app, QWidget* parent);
  ~CRondelView() override;

  void OnInitialUpdate() override;
  void OnUpdate() override;
  CPrintCycle& PrintCycle() override { return m_print; }
  void CommitPendingEdit() override;

  // The form and its controls by number.
  QWidget* Form() const { return m_form; }
  // The form's size with every channel row and every column whole, and the least it is laid
  // out for (below it the view scrolls).
  QSize FormSizeHint() const;
  QSize FormMinimumSize() const;
  QWidget* Control(int id) const;
  CGridCtrl* Grid() const { return m_channelGrid.Grid(); }

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
  void ConnectSettingsControls();
  void GiveLabelsTheirControls();
  void FillSettings();
  // Refills the priority-channel list from the image (the settings fill and every
  // frequency edit of the grid).
  void FillPriorityChannelList();
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
  // The grid fitted to this language's texts, and the form's least size with it.
  void FitChannelGrid();
  // The grid takes the form below the settings; its columns share any width left over.
  void LayOutForm();

  CRondelApp& m_app;
  QWidget* m_form = nullptr;
  CChannelGrid m_channelGrid;
  CChannelPrint m_print;
  // The grid's place in the form: its top left corner and the form's margins right of and
  // below it, and the width the settings take (all from the template, grown with the texts).
  QPoint m_gridOrigin;
  int m_gridRightMargin = 0;
  int m_gridBottomMargin = 0;
  int m_panelWidth = 0;
  bool m_checkFirstSize = false;
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
