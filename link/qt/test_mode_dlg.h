// SPDX-License-Identifier: GPL-3.0-or-later
// CTestModeDlg (template 137): six scroll bars for the power calibration, the keyboard on the
// highlighted one, start debug mode (every committed value goes to the radio at once) and
// write all. Every exchange runs on a worker (CTestModeRunner) while the dialog ignores input
// and shows how far it has come; Cancel meanwhile waits for the exchange's end and cancels
// then. The rules of the exchanges live in link/test_mode.h.
#pragma once

#include <array>
#include <deque>
#include <functional>

#include "link/qt/test_mode_exchange.h"
#include "link/qt/test_mode_host.h"
#include "platform/dialogs/cdialog.h"
#include "platform/dialogs/scroll_bar.h"

class QLabel;
class QLineEdit;

namespace rondel {

inline constexpr int kCalibrationSliders = 6;

// The controls of slider i, i = 0..5 (image offset 0x3F0 + i).
struct SliderControls {
  int scrollBar;
  int label;
  int valueEdit;
};
inline constexpr std::array<SliderControls, kCalibrationSliders> kSliderControls = {{
    {1163, 1110, 1116},
    {1164, 1118, 1121},
    {1165, 1122, 1125},
    {1166, 1111, 1117},
    {1167, 1126, 1129},
    {1168, 1130, 1133},
}};
inline constexpr int kStartDebugButton = 1169;
inline constexpr int kWriteAllButton = 1170;
inline constexpr int kTestModeProgress = 1173;

class CTestModeDlg : public CDialog {
  Q_OBJECT
 public:
  CTestModeDlg(ByteLink& port, const LinkSettings& settings, TestModeHost& host,
               QWidget* parent);
  ~CTestModeDlg() override;

  bool OnInitDialog() override;

  int CurrentSlider() const { return currentSlider; }
  bool DebugActive() const { return debugActive; }
  CScrollBar* ScrollBar(int index) const;
  QLabel* SliderLabel(int index) const;
  QLineEdit* ValueEdit(int index) const;
  // The scroll bar the arrow keys act on.
  CScrollBar* KeyboardScrollBar() const { return m_keyboardBar; }
  // An exchange with the radio is running.
  bool ExchangeRunning() const { return m_runner.Busy(); }
  QString ProgressLine() const { return m_runner.Line(); }

 protected:
  void OnOK() override;
  void OnCancel() override;
  // The keyboard and the mouse are looked at here before the control that has them.
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A new palette (a change of the desktop's theme) colours the current slider's name anew.
  void changeEvent(QEvent* event) override;

 private:
  bool PreTranslateMessage(QEvent* event);
  void OnHScroll(ScrollCode code, int thumb, CScrollBar* bar);
  void Commit(int index, int position);
  void OnStartDebug();
  void OnWriteAll();
  // Runs `exchange` on the document's image; `then` once it has ended. A Cancel pressed
  // meanwhile is done after `then`; a slider let go meanwhile is committed after it, in turn.
  void Exchange(TestModeExchange exchange, std::function<void(const CTestModeSession&)> then);
  void SendLive();
  // Cancel once nothing runs: debug mode's leave byte, the port closed, the dialog ended.
  void CancelNow();
  void SetCurrentSlider(int index);
  // Positions and value fields from the document's calibration block.
  void ShowCalibration();
  int IndexOf(const CScrollBar* bar) const;

  ByteLink& m_port;
  TestModeHost& m_host;
  int currentSlider = 0;
  bool debugActive = false;
  CScrollBar* m_keyboardBar = nullptr;
  CTestModeRunner m_runner;
  bool m_cancelPending = false;
  // Sliders let go while an exchange ran: their end scroll is handled once it has ended.
  std::deque<int> m_pendingEnds;
};

}  // namespace rondel
