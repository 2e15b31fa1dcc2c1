// Answers the next modal window the code under test opens. Only the tests of the Qt prompter
// use it: everywhere else the scripted prompter answers, but here the window itself is what is
// tested, so a timer has to find it.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

namespace rondel::test {

class ModalAnswerer {
 public:
  // `answer` gets the modal window once it is shown and must close it.
  explicit ModalAnswerer(std::function<void(QWidget*)> answer) : m_answer(std::move(answer)) {
    m_clock.start();
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
    m_timer.start();
  }
  ~ModalAnswerer() { m_timer.stop(); }

  bool Answered() const { return m_answered; }

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!m_answered) {
      if (modal && modal->isVisible()) {
        m_answered = true;
        m_answeredAt = m_clock.elapsed();
        m_answer(modal);
      } else if (m_clock.elapsed() > kWaitMs) {
        m_timer.stop();
        ADD_FAILURE() << "no modal window appeared";
      }
      return;
    }
    if (!modal) {
      m_timer.stop();
      return;
    }
    // The answer did not close it: close it anyway, so the test ends and fails instead of
    // hanging in the modal loop.
    if (m_clock.elapsed() - m_answeredAt > kWaitMs) {
      ADD_FAILURE() << "the modal window stayed open after the answer";
      if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
      } else {
        modal->close();
      }
    }
  }

  static constexpr qint64 kWaitMs = 5000;
  std::function<void(QWidget*)> m_answer;
  QTimer m_timer;
  QElapsedTimer m_clock;
  bool m_answered = false;
  qint64 m_answeredAt = 0;
};

}  // namespace rondel::test
