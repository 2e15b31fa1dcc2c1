// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the desktop program: the time from the process's start to the first paint of
// its main window, and its resident memory (VmRSS) at that moment. Each run is a fresh
// process under the offscreen platform, started by this program, which prints the figures.
//   bench_startup [runs]      (default 5)
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "shell/qt/main_frame.h"
#include "shell/qt/prompt_script.h"
#include "shell/qt/rondel_app.h"
#include "view/rondel_view.h"

extern char** environ;

namespace {

constexpr const char* kStartVariable = "RONDEL_BENCH_START_NS";

long long MonotonicNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

long VmRssKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// Notes the first paint that reaches the main window and ends the run right after it.
class FirstPaint : public QObject {
 public:
  explicit FirstPaint(const QWidget* frame) : m_frame(frame) {}
  long long atNs = 0;
  long rssKb = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (atNs == 0 && event->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == m_frame) {
      atNs = MonotonicNs();
      rssKb = VmRssKb();
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return false;
  }

 private:
  const QWidget* m_frame;
};

int Child(int argc, char** argv) {
  const char* start = std::getenv(kStartVariable);
  const long long startNs = start ? std::atoll(start) : MonotonicNs();
  QApplication qtApp(argc, argv);
  // Nobody answers: the start must not stop at a message box.
  rondel::CPromptScript silent("/dev/null", "/dev/null");
  rondel::SetPrompter(&silent);
  int status = 1;
  {
    rondel::CRondelApp app(rondel::CreateRondelView, RONDEL_BIN_DIR);
    if (app.InitInstance({})) {
      FirstPaint watch(app.MainFrame());
      qtApp.installEventFilter(&watch);
      QTimer::singleShot(30000, &qtApp, &QCoreApplication::quit);
      QApplication::exec();
      qtApp.removeEventFilter(&watch);
      if (watch.atNs != 0) {
        std::printf("%.1f %ld\n", (watch.atNs - startNs) / 1e6, watch.rssKb);
        status = 0;
      }
    }
  }
  rondel::SetPrompter(nullptr);
  return status;
}

struct Run {
  double ms;
  long rssKb;
};

bool SpawnRun(const std::string& self, const std::string& home, Run& run) {
  int out[2];
  if (::pipe(out) != 0) return false;
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  ::posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string v = *e;
    if (v.rfind("HOME=", 0) == 0 || v.rfind("XDG_CONFIG_HOME=", 0) == 0 ||
        v.rfind("QT_QPA_PLATFORM=", 0) == 0 || v.rfind(kStartVariable, 0) == 0)
      continue;
    env.push_back(v);
  }
  env.push_back("HOME=" + home);
  env.push_back("XDG_CONFIG_HOME=" + home + "/config");
  env.push_back("QT_QPA_PLATFORM=offscreen");
  env.push_back(std::string(kStartVariable) + "=" + std::to_string(MonotonicNs()));
  std::vector<char*> envp;
  for (std::string& v : env) envp.push_back(v.data());
  envp.push_back(nullptr);
  std::string arg0 = self;
  std::string arg1 = "--child";
  char* argv[] = {arg0.data(), arg1.data(), nullptr};
  pid_t pid = 0;
  const int rc = ::posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, envp.data());
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (rc != 0) {
    ::close(out[0]);
    return false;
  }
  std::string text;
  char buf[256];
  ssize_t n;
  while ((n = ::read(out[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
  ::close(out[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
         std::sscanf(text.c_str(), "%lf %ld", &run.ms, &run.rssKb) == 2;
}

template <class T>
T Median(std::vector<T> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "--child") return Child(argc, argv);
  const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string home =
      (std::filesystem::temp_directory_path() / ("rondel-bench-startup-" + std::to_string(::getpid()))).string();
  std::filesystem::create_directories(home);
  std::vector<double> ms;
  std::vector<long> rss;
  for (int i = 0; i < runs; ++i) {
    Run run{};
    if (!SpawnRun(self, home, run)) {
      std::fprintf(stderr, "bench_startup: run %d failed\n", i + 1);
      std::filesystem::remove_all(home);
      return 1;
    }
    std::printf("run %d: first paint after %.1f ms, VmRSS %.1f MiB\n", i + 1, run.ms, run.rssKb / 1024.0);
    ms.push_back(run.ms);
    rss.push_back(run.rssKb);
  }
  std::filesystem::remove_all(home);
  std::printf("start-up to the first painted main window (offscreen, %d runs): median %.1f ms, "
              "min %.1f ms, max %.1f ms\n",
              runs, Median(ms), *std::min_element(ms.begin(), ms.end()),
              *std::max_element(ms.begin(), ms.end()));
  std::printf("resident memory at the first paint (VmRSS): median %.1f MiB\n", Median(rss) / 1024.0);
  return 0;
}
