// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/qt/test_mode_dlg.h"

#include "platform/dialogs/palette_colours.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

#include "core/rondel_doc.h"

namespace rondel {
namespace {

constexpr int kScrollLow = 0;
constexpr int kScrollHigh = 255;

}  // namespace

CTestModeDlg::CTestModeDlg(ByteLink& port, const LinkSettings& settings, TestModeHost& host,
                           QWidget* parent)
    : CDialog(137, parent),
      m_port(port),
      m_host(host),
      m_runner(port, settings, host, *this, Item<QLabel>(kTestModeProgress)) {
  for (int i = 0; i < kCalibrationSliders; ++i) {
    if (CScrollBar* bar = ScrollBar(i)) {
      connect(bar, &CScrollBar::Scrolled, this,
              [this, bar](ScrollCode code, int thumb) { OnHScroll(code, thumb, bar); });
    }
  }
  if (auto* start = Item<QAbstractButton>(kStartDebugButton))
    connect(start, &QAbstractButton::clicked, this, [this] { OnStartDebug(); });
  if (auto* write = Item<QAbstractButton>(kWriteAllButton))
    connect(write, &QAbstractButton::clicked, this, [this] { OnWriteAll(); });
  qApp->installEventFilter(this);
}

CTestModeDlg::~CTestModeDlg() { qApp->removeEventFilter(this); }

CScrollBar* CTestModeDlg::ScrollBar(int index) const {
  if (index < 0 || index >= kCalibrationSliders) return nullptr;
  return Item<CScrollBar>(kSliderControls[static_cast<std::size_t>(index)].scrollBar);
}

QLabel* CTestModeDlg::SliderLabel(int index) const {
  if (index < 0 || index >= kCalibrationSliders) return nullptr;
  return Item<QLabel>(kSliderControls[static_cast<std::size_t>(index)].label);
}

QLineEdit* CTestModeDlg::ValueEdit(int index) const {
  if (index < 0 || index >= kCalibrationSliders) return nullptr;
  return Item<QLineEdit>(kSliderControls[static_cast<std::size_t>(index)].valueEdit);
}

int CTestModeDlg::IndexOf(const CScrollBar* bar) const {
  for (int i = 0; i < kCalibrationSliders; ++i)
    if (bar != nullptr && ScrollBar(i) == bar) return i;
  return -1;
}

bool CTestModeDlg::OnInitDialog() {
  for (int i = 0; i < kCalibrationSliders; ++i)
    if (CScrollBar* bar = ScrollBar(i)) bar->SetScrollRange(kScrollLow, kScrollHigh);
  debugActive = false;
  m_host.TranslateDialog(this, TemplateNumber());
  ShowCalibration();
  // The form shows the memory just read.
  m_host.RecomputeAndRefresh();
  SetCurrentSlider(0);
  m_keyboardBar = ScrollBar(0);
  return true;
}

void CTestModeDlg::ShowCalibration() {
  const CRondelDoc& doc = m_host.Doc();
  for (int i = 0; i < kCalibrationSliders; ++i) {
    const int value = doc.GetCalibration(i);
    if (CScrollBar* bar = ScrollBar(i)) bar->SetScrollPos(value);
    if (QLineEdit* edit = ValueEdit(i)) edit->setText(QString::number(value));
  }
}

void CTestModeDlg::SetCurrentSlider(int index) {
  currentSlider = index;
  // The highlighted slider's name in red (a lighter red where pure red would not read on the
  // window's background), the others in the window's own text colour, on the usual background.
  for (int i = 0; i < kCalibrationSliders; ++i) {
    QLabel* label = SliderLabel(i);
    if (label == nullptr) continue;
    QPalette own;  // nothing of its own: everything follows the dialog's palette
    if (i == index) own.setColor(QPalette::WindowText, EmphasisColour(palette().color(QPalette::Window)));
    label->setPalette(own);
  }
  update();
}

void CTestModeDlg::changeEvent(QEvent* event) {
  CDialog::changeEvent(event);
  if (event->type() == QEvent::PaletteChange && currentSlider >= 0) SetCurrentSlider(currentSlider);
}

void CTestModeDlg::OnHScroll(ScrollCode code, int thumb, CScrollBar* bar) {
  const int i = IndexOf(bar);
  if (i < 0) return;
  int position = bar->GetScrollPos();
  switch (code) {
    case ScrollCode::LineLeft:
      position = position - 1 < kScrollLow ? kScrollHigh : position - 1;
      bar->SetScrollPos(position);
      break;
    case ScrollCode::LineRight:
      position = position + 1 > kScrollHigh ? kScrollLow : position + 1;
      bar->SetScrollPos(position);
      break;
    case ScrollCode::ThumbTrack:
      position = thumb;
      bar->SetScrollPos(position);
      break;
    case ScrollCode::EndScroll:
      // A release that arrives while an exchange runs (a key let go, or a mouse button pressed
      // before it began) is handled when the exchange has ended, as it always came after it.
      if (m_runner.Busy()) {
        m_pendingEnds.push_back(i);
        return;
      }
      Commit(i, position);
      break;
    default:
      // Paging, the thumb let go and the ends do not move the bar.
      return;
  }
  if (QLineEdit* edit = ValueEdit(i)) edit->setText(QString::number(position));
  SetCurrentSlider(i);
}

void CTestModeDlg::Commit(int index, int position) {
  m_host.CommitCalibration(index, static_cast<std::uint8_t>(position));
  if (debugActive) SendLive();
}

void CTestModeDlg::SendLive() {
  Exchange(TestModeExchange::Live, [](const CTestModeSession&) {});
}

void CTestModeDlg::Exchange(TestModeExchange exchange,
                            std::function<void(const CTestModeSession&)> then) {
  m_runner.Run(exchange, m_host.Doc().image(),
               [this, then = std::move(then)](const CTestModeSession& session) {
                 then(session);
                 if (m_cancelPending) {
                   // The dialog closes: Cancel's leave byte is the last frame.
                   m_cancelPending = false;
                   m_pendingEnds.clear();
                   CancelNow();
                   return;
                 }
                 // Each one may start its live frame; the rest wait for that one's end.
                 while (!m_pendingEnds.empty() && !m_runner.Busy()) {
                   const int index = m_pendingEnds.front();
                   m_pendingEnds.pop_front();
                   if (CScrollBar* bar = ScrollBar(index)) OnHScroll(ScrollCode::EndScroll, 0, bar);
                 }
               });
}

void CTestModeDlg::OnStartDebug() {
  if (m_runner.Busy()) return;
  // Set whatever follows: a failed start still ends with the leave byte on Cancel.
  debugActive = true;
  Exchange(TestModeExchange::StartDebug, [this](const CTestModeSession& session) {
    // Cancelled meanwhile: the dialog closes, and what the exchange read goes with it.
    if (m_cancelPending) return;
    // The radio's calibration block, read before the first live frame, is the document's now.
    m_host.ReplaceImage(session.Image());
    if (session.Result() != TestModeResult::Done) {
      ShowTestModeMessage(m_host, session.Result(), false);
      return;
    }
    // The calibration block now holds the radio's values; the bars show what the live frames
    // will carry, so no value on the screen is one the radio and the document do not have.
    ShowCalibration();
  });
}

void CTestModeDlg::OnWriteAll() {
  if (m_runner.Busy()) return;
  // In debug mode the leave byte goes first, on the same worker, straight before the write.
  const TestModeExchange exchange =
      debugActive ? TestModeExchange::LeaveThenWriteAll : TestModeExchange::WriteAll;
  debugActive = false;
  // What the radio now holds is told even after a Cancel meanwhile.
  Exchange(exchange, [this](const CTestModeSession& session) {
    ShowTestModeMessage(m_host, session.Result(), true);
  });
}

void CTestModeDlg::OnOK() {
  // Closes without any exchange, but not in the middle of one.
  if (m_runner.Busy()) return;
  CDialog::OnOK();
}

void CTestModeDlg::OnCancel() {
  // The exchange is not cut short: the radio gets every frame it would have.
  if (m_runner.Busy()) {
    m_cancelPending = true;
    return;
  }
  CancelNow();
}

void CTestModeDlg::CancelNow() {
  if (!debugActive) {
    EndDialog(IDCANCEL);
    return;
  }
  debugActive = false;
  m_runner.Run(TestModeExchange::Leave, m_host.Doc().image(), [this](const CTestModeSession&) {
    m_port.Close();
    EndDialog(IDCANCEL);
  });
}

bool CTestModeDlg::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
      type != QEvent::MouseButtonPress)
    return false;
  // The dialog and its controls only: a message box over it keeps its keys.
  if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != this) return false;
  return PreTranslateMessage(event);
}

bool CTestModeDlg::PreTranslateMessage(QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) update();
    return false;
  }
  auto* key = static_cast<QKeyEvent*>(event);
  const int k = key->key();
  if (event->type() == QEvent::KeyPress) {
    switch (k) {
      case Qt::Key_Up:
        SetCurrentSlider((currentSlider + kCalibrationSliders - 1) % kCalibrationSliders);
        return true;
      case Qt::Key_Down:
        SetCurrentSlider((currentSlider + 1) % kCalibrationSliders);
        return true;
      case Qt::Key_Left:
      case Qt::Key_Right:
        m_keyboardBar = ScrollBar(currentSlider);
        if (m_keyboardBar)
          m_keyboardBar->SendScroll(k == Qt::Key_Left ? ScrollCode::LineLeft : ScrollCode::LineRight);
        return true;
      default:
        m_keyboardBar = ScrollBar(currentSlider);
        return false;
    }
  }
  // A held key repeats its key-down only; the toolkit's key-ups of the repeat are no release.
  if ((k == Qt::Key_Left || k == Qt::Key_Right) && !key->isAutoRepeat() && m_keyboardBar)
    m_keyboardBar->SendScroll(ScrollCode::EndScroll);
  return true;
}

}  // namespace rondel
