// SPDX-License-Identifier: GPL-3.0-or-later
// One QApplication on the offscreen platform for the whole test program, made when the tests
// start (not while they are only listed); Qt allows one per process.
#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

namespace {

class QtApplicationEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    m_app = std::make_unique<QApplication>(m_argc, m_argv);
  }
  void TearDown() override { m_app.reset(); }

 private:
  int m_argc = 1;  // QApplication keeps references to both for its whole life
  char m_name[18] = "rondel_help_tests";
  char* m_argv[2] = {m_name, nullptr};
  std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] const testing::Environment* const g_qtEnvironment =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);  // gtest owns it

}  // namespace
