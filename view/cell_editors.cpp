// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/cell_editors.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QSignalBlocker>
#include <QStyleFactory>

#include "shell/form/form_edits.h"

namespace rondel {
namespace {

bool IsEnterOrEscape(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

// Keys that only move the caret or the selection, or delete forward, and type nothing.
bool IsCaretKey(const QKeyEvent* event) {
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
    // Ctrl+arrows move by words; every other Ctrl combination would edit through the
    // clipboard or the undo stack.
    return event->key() == Qt::Key_Left || event->key() == Qt::Key_Right;
  }
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Delete:
      // Shift+Delete cuts to the clipboard in a line edit; that is refused with the rest.
      return !(event->key() == Qt::Key_Delete && event->modifiers() & Qt::ShiftModifier);
    default:
      return false;
  }
}

// Tab and Shift+Tab end the edit as a move on the grid does: the owner takes the focus (the
// editor's focus loss commits it) and then gets the key, which moves its focus cell on. True
// when the key was handed over.
bool HandTabToOwner(QWidget* owner, QEvent* event) {
  if (owner == nullptr || event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) return false;
  if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  event->accept();
  const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
  QPointer<QWidget> target(owner);
  owner->setFocus(back ? Qt::BacktabFocusReason : Qt::TabFocusReason);
  // The commit may have rebuilt the form; the key goes only to an owner that is still there
  // and did take the focus.
  if (target && target->hasFocus()) {
    QKeyEvent moved(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
    QCoreApplication::sendEvent(target, &moved);
  }
  return true;
}

// Keeps the opened list a scrolling list of the combo's visible-item count: styles that open
// a combo as a menu show every item, as tall as the screen.
class CListPopupStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_ComboBox_Popup) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

constexpr int kFreqMaxLength = static_cast<int>(kFreqEditMaxChars);

}  // namespace

CFreqCellEdit::CFreqCellEdit(QWidget* parent) : QLineEdit(parent) {
  setMaxLength(kFreqMaxLength);
  setContextMenuPolicy(Qt::NoContextMenu);
  setAcceptDrops(false);
  setDragEnabled(false);
  setAttribute(Qt::WA_InputMethodEnabled, false);
}

void CFreqCellEdit::Open(const QString& text) {
  setMaxLength(kFreqMaxLength);
  setText(text);
  selectAll();
  m_opening = text;
}

void CFreqCellEdit::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (IsEnterOrEscape(key)) {
    if (key == Qt::Key_Escape) setText(m_opening);
    if (m_owner != nullptr) m_owner->setFocus(Qt::OtherFocusReason);
    event->accept();
    return;
  }
  if (key == Qt::Key_Backspace && !(event->modifiers() & ~Qt::KeypadModifier & ~Qt::ShiftModifier)) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  if (IsCaretKey(event)) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const QString typed = event->text();
  const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  if (plain && typed.size() == 1 && Accepts(typed)) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  event->accept();  // discarded
}

bool CFreqCellEdit::Accepts(const QString& typed) const {
  // The field has always refused a second point, even one typed over a selection that holds
  // the first.
  if (typed == QLatin1String(".") && text().contains(QLatin1Char('.'))) return false;
  QString result = text();
  if (hasSelectedText())
    result.replace(selectionStart(), selectedText().size(), typed);
  else
    result.insert(cursorPosition(), typed);
  return FrequencyEditAccepts(result.toStdString());
}

bool CFreqCellEdit::event(QEvent* event) {
  // Before the toolkit's own Tab handling, which would pass the focus along the form's chain.
  if (HandTabToOwner(m_owner, event)) return true;
  return QLineEdit::event(event);
}

void CFreqCellEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (event->reason() != Qt::PopupFocusReason && isVisible()) emit editDone();
}

CCellComboBase::CCellComboBase(QWidget* parent) : QComboBox(parent) {
  // The proxy owns the copy of the program's style it wraps.
  auto* popupStyle = new CListPopupStyle(QStyleFactory::create(QApplication::style()->name()));
  popupStyle->setParent(this);
  setStyle(popupStyle);
}

bool CCellComboBase::event(QEvent* event) {
  if (HandTabToOwner(m_owner, event)) return true;
  return QComboBox::event(event);
}

void CCellComboBase::SelectByPrefix(const QString& text) {
  const QSignalBlocker quiet(this);
  for (int i = 0; i < count(); ++i) {
    if (itemText(i).startsWith(text, Qt::CaseInsensitive)) {
      setCurrentIndex(i);
      return;
    }
  }
  setCurrentIndex(-1);
}

void CCellComboBase::keyPressEvent(QKeyEvent* event) {
  if (IsEnterOrEscape(event->key())) {
    if (event->key() == Qt::Key_Escape) OnEscape();
    if (m_owner != nullptr) m_owner->setFocus(Qt::OtherFocusReason);
    event->accept();
    return;
  }
  QComboBox::keyPressEvent(event);
}

void CCellComboBase::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  // The list's own pop-up takes the focus while it is open; the edit goes on. Some platforms
  // report that as a window change rather than a pop-up, so the pop-up itself is asked too.
  const bool toOwnPopup = event->reason() == Qt::PopupFocusReason || view()->window()->isVisible();
  if (!toOwnPopup && isVisible()) emit editDone();
}

void CToneCellCombo::SetItems(const QStringList& items) {
  const QSignalBlocker quiet(this);
  clear();
  for (const QString& item : items) addItem(item.toUpper());
}

CChoiceCellCombo::CChoiceCellCombo(QWidget* parent) : CCellComboBase(parent) {
  connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) emit choiceSelected(index);
  });
}

void CChoiceCellCombo::Open(const QStringList& items, const QString& cellText) {
  {
    const QSignalBlocker quiet(this);
    clear();
    addItems(items);
  }
  SelectByPrefix(cellText);
  m_opening = currentIndex();
}

void CChoiceCellCombo::OnEscape() {
  const QSignalBlocker quiet(this);
  setCurrentIndex(m_opening);
}

}  // namespace rondel
