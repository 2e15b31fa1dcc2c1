// One QApplication for the whole test program, on the offscreen platform, so the widget tests
// need no display. It is made when the tests start (not while they are only being listed)
// and destroyed after the last one; Qt allows one application object per process.
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>

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
  // QApplication keeps references to both for its whole life.
  int m_argc = 1;
  char m_name[18] = "rondel_help_tests";
  char* m_argv[2] = {m_name, nullptr};
  std::unique_ptr<QApplication> m_app;
};

// gtest owns the environment once it is added.
[[maybe_unused]] const testing::Environment* const g_qtEnvironment =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace
