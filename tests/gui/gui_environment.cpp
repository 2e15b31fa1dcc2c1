// SPDX-License-Identifier: GPL-3.0-or-later
// One QApplication for the whole test program on the offscreen platform, made when the tests
// start and not while they are only being listed, with per-user data of its own. A control the
// code asks for and does not find fails the test.
#include <QApplication>

#include <gtest/gtest.h>

#include "platform/dialogs/dialog_builder.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("RONDEL_TEST_QPA") ? "offscreen" : qgetenv("RONDEL_TEST_QPA"));
    // ctest runs the test processes side by side: one's recent files must not show in another.
    std::string config = std::string(RONDEL_TEST_HOME) + "/gui-XXXXXX";
    if (::mkdtemp(config.data()) != nullptr) {
      m_config = config;
      ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
      // Every read keeps a backup: in this run's own folder, gone with it.
      ::setenv("XDG_STATE_HOME", (config + "/state").c_str(), 1);
    }
    static int argc = 1;
    static char name[] = "rondel_gui_tests";
    static char* argv[] = {name, nullptr};
    m_app = new QApplication(argc, argv);
    rondel::SetMissingControlReporter([](const QWidget*, int id, const char* wantedClass) {
      ADD_FAILURE() << "no control " << id << " of class " << wantedClass;
    });
  }
  void TearDown() override {
    rondel::SetMissingControlReporter(nullptr);
    delete m_app;
    m_app = nullptr;
    std::error_code ignored;
    if (!m_config.empty()) std::filesystem::remove_all(m_config, ignored);
  }

 private:
  QApplication* m_app = nullptr;
  std::string m_config;
};

const ::testing::Environment* const g_qt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
