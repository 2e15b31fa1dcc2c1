// SPDX-License-Identifier: GPL-3.0-or-later
// The three editors the channel grid lays over a cell: a frequency field, the tone list and the
// two-item option list. Each ends its edit by giving up the focus; Enter and Escape hand the
// focus to the owner (the grid), which ends the edit the same way as a click elsewhere. Tab and
// Shift+Tab do the same and then move the owner's focus cell on, as they do on the grid itself.
#pragma once

#include <QComboBox>
#include <QLineEdit>

namespace rondel {

// Frequency cell: a typed character gets in only when the text it makes is one the frequency
// edit accepts (FrequencyEditAccepts), and a "." only while the text holds none; backspace
// and delete always. Nothing else reaches the text: no paste, no undo, no drop, no input
// method, no context menu.
class CFreqCellEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit CFreqCellEdit(QWidget* parent = nullptr);

  void SetOwner(QWidget* owner) { m_owner = owner; }
  // Shows `text` selected whole and remembers it for Escape.
  void Open(const QString& text);

 signals:
  // The focus has gone elsewhere (not to a pop-up of its own): commit now.
  void editDone();

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // Whether `typed` may go in place of the selection, or at the caret when there is none.
  bool Accepts(const QString& typed) const;

  QWidget* m_owner = nullptr;
  QString m_opening;
};

// Shared by the two lists: Enter, Escape, Tab and Shift+Tab hand the focus to the owner;
// losing the focus (except to the list's own pop-up) ends the edit. The opened list is a
// scrolling list in every style; the form gives it kVisibleItems entries.
class CCellComboBase : public QComboBox {
  Q_OBJECT
 public:
  static constexpr int kVisibleItems = 15;

  explicit CCellComboBase(QWidget* parent = nullptr);

  void SetOwner(QWidget* owner) { m_owner = owner; }
  // Selects the first item whose text begins with `text`, case ignored; none when no item
  // does. Sends no change report.
  void SelectByPrefix(const QString& text);

 signals:
  void editDone();

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  // Escape's extra step before the focus goes.
  virtual void OnEscape() {}

 private:
  QWidget* m_owner = nullptr;
};

// Tone cell: the tone list, every item shown in upper case.
class CToneCellCombo : public CCellComboBase {
  Q_OBJECT
 public:
  explicit CToneCellCombo(QWidget* parent = nullptr) : CCellComboBase(parent) {}
  // Replaces the items; sends no change report.
  void SetItems(const QStringList& items);
};

// Option cell: the column's two texts, refilled at each opening; every change of the selection
// is reported at once, and Escape puts the opening item back without a report.
class CChoiceCellCombo : public CCellComboBase {
  Q_OBJECT
 public:
  explicit CChoiceCellCombo(QWidget* parent = nullptr);
  // Fills in the two items, selects the one whose text begins with `cellText` and remembers it.
  void Open(const QStringList& items, const QString& cellText);

 signals:
  void choiceSelected(int index);

 protected:
  void OnEscape() override;

 private:
  int m_opening = -1;
};

}  // namespace rondel
