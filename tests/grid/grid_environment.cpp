// SPDX-License-Identifier: GPL-3.0-or-later
// One QApplication on the offscreen platform, made when the tests start, not when they are listed.
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class GridQtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "rondel_grid_tests";
    static char* argv[] = {name, nullptr};
    m_app = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { m_app.reset(); }

 private:
  std::unique_ptr<QApplication> m_app;
};

const ::testing::Environment* const g_qt = ::testing::AddGlobalTestEnvironment(new GridQtEnvironment);

}  // namespace
