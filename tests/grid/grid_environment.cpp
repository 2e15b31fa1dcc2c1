// One QApplication for the grid tests, on the offscreen platform, so no display is needed; made
// when the tests start and not while they are only being listed.
#include <QApplication>

#include <gtest/gtest.h>

namespace {

class GridQtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // Offscreen unless RONDEL_TEST_QPA names another (xcb: the same tests under an X server).
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("RONDEL_TEST_QPA")
                                       ? QByteArray("offscreen")
                                       : qgetenv("RONDEL_TEST_QPA"));
    static int argc = 1;
    static char name[] = "rondel_grid_tests";
    static char* argv[] = {name, nullptr};
    m_app = new QApplication(argc, argv);
  }
  void TearDown() override {
    delete m_app;
    m_app = nullptr;
  }

 private:
  QApplication* m_app = nullptr;
};

const ::testing::Environment* const g_qt = ::testing::AddGlobalTestEnvironment(new GridQtEnvironment);

}  // namespace
