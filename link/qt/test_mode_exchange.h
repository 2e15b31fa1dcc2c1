// SPDX-License-Identifier: GPL-3.0-or-later
// A test-mode exchange run for one of the test mode's dialogs: the exchange goes to a worker
// thread (CTestModeSession), while the dialog, still modal, ignores the keyboard and the mouse
// (but for Cancel, Escape and the close box), shows the wait cursor and a line of progress,
// and goes on painting. The end comes back to the user-interface thread as a queued call.
#pragma once

#include <QObject>

#include <functional>
#include <optional>

#include "link/qt/test_mode_host.h"
#include "link/test_mode.h"
#include "platform/dialogs/wait_cursor.h"

class QLabel;
class QWidget;

namespace rondel {

class CTestModeRunner : public QObject {
  Q_OBJECT
 public:
  using Ended = std::function<void(const CTestModeSession& session)>;

  // `line` (may be nullptr) shows the progress; `dialog` is the window whose input is ignored.
  CTestModeRunner(ByteLink& port, const LinkSettings& settings, TestModeHost& host,
                  QWidget& dialog, QLabel* line);
  ~CTestModeRunner() override;  // waits for a running exchange

  // Starts `exchange` on a copy of `image`; `ended` runs on this thread once it has ended and
  // the worker is gone. False while another one runs.
  bool Run(TestModeExchange exchange, const RadioImage& image, Ended ended);
  bool Busy() const { return m_session.IsRunning(); }
  // The line as it stands, for the tests and the screenshots.
  QString Line() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnChanged();
  void ShowProgress();

  TestModeHost& m_host;
  QWidget& m_dialog;
  QLabel* m_line;
  CTestModeSession m_session;
  Ended m_ended;
  std::optional<CWaitCursor> m_wait;
};

}  // namespace rondel
