// CRondelView: the form of the main window, built from template 101, with the radio-wide
// settings above and the channel grid below. Every update refills it from the document's
// image; the view keeps no value of its own.
#pragma once

#include "shell/qt/form_view.h"

namespace rondel {

class CRondelApp;

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

 private:
  void FillSettings();
  void ShowPasswordControls();
  // Fits the main window around the form.
  void ResizeParentToFit();

  CRondelApp& m_app;
  QWidget* m_form = nullptr;
};

// The view factory the program registers with the application.
CFormViewBase* CreateRondelView(CRondelApp& app, QWidget* parent);

}  // namespace rondel
