// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/qt/test_mode_exchange.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

#include "platform/dialogs/cdialog.h"

namespace rondel {

CTestModeRunner::CTestModeRunner(ByteLink& port, const LinkSettings& settings,
                                 TestModeHost& host, QWidget& dialog, QLabel* line)
    : m_host(host), m_dialog(dialog), m_line(line), m_session(port, settings) {}

CTestModeRunner::~CTestModeRunner() {
  // Joined here, before this object goes: the worker's last word is posted to it.
  m_session.Wait();
  if (m_wait) qApp->removeEventFilter(this);
}

bool CTestModeRunner::Run(TestModeExchange exchange, const RadioImage& image, Ended ended) {
  if (m_session.IsRunning()) return false;
  m_ended = std::move(ended);
  m_wait.emplace();
  // Installed last, so it looks at every event before the dialog's own filter does.
  qApp->installEventFilter(this);
  // The worker only hands the word on; the session is read here, on this thread.
  const bool started = m_session.Start(exchange, image, [this] {
    QMetaObject::invokeMethod(this, [this] { OnChanged(); }, Qt::QueuedConnection);
  });
  ShowProgress();
  return started;
}

QString CTestModeRunner::Line() const { return m_line ? m_line->text() : QString(); }

void CTestModeRunner::ShowProgress() {
  if (m_line == nullptr) return;
  const std::size_t total = BlocksOf(m_session.Exchange());
  const std::size_t done = m_session.BlocksDone();
  std::string text;
  if (total == 0) {
    text = m_host.Text(m_session.Exchange() == TestModeExchange::StartDebug ? "IDS_TESTMODE_CONNECT"
                                                                             : "IDS_TESTMODE_SENDING");
  } else if (done == 0) {
    // The handshake, and a port search with it, comes before the first block.
    text = m_host.Text("IDS_TESTMODE_CONNECT");
  } else {
    const bool reading = m_session.Exchange() == TestModeExchange::Entry;
    text = m_host.Text(reading ? "IDS_TESTMODE_READING" : "IDS_TESTMODE_WRITING") + " " +
           std::to_string(done) + " / " + std::to_string(total);
  }
  m_line->setText(QString::fromStdString(text));
}

void CTestModeRunner::OnChanged() {
  // A word that arrives after the end has been handled is stale.
  if (!m_session.IsRunning()) return;
  if (!m_session.Finished()) {
    ShowProgress();
    return;
  }
  m_session.Wait();  // the worker's last act was to say so: this returns at once
  qApp->removeEventFilter(this);
  m_wait.reset();
  if (m_line) m_line->clear();
  Ended ended = std::move(m_ended);
  m_ended = nullptr;
  if (ended) ended(m_session);
}

bool CTestModeRunner::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
      break;
    default:
      // Releases go through, so no control is left pressed; with no press before them they
      // do nothing.
      return false;
  }
  if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != &m_dialog)
    return false;
  // Taken as an ordinary key press, so no mnemonic or shortcut fires; that press is ignored.
  if (event->type() == QEvent::ShortcutOverride) {
    event->accept();
    return true;
  }
  // Cancel stays: the dialog waits for the exchange's end and cancels then.
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
    return false;
  if (auto* button = qobject_cast<QAbstractButton*>(watched);
      button != nullptr && button->property(kControlIdProperty).toInt() == IDCANCEL &&
      event->type() == QEvent::MouseButtonPress)
    return false;
  return true;
}

}  // namespace rondel
