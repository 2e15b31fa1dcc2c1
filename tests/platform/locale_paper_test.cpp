// SPDX-License-Identifier: GPL-3.0-or-later
// The locale's paper: taken from the environment the program was started with, nothing when
// the named locale does not exist.
#include "platform/locale_paper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace rondel {
namespace {

// Sets the locale variables for one case and puts the old values back.
class LocaleEnv {
 public:
  LocaleEnv(const char* all, const char* paper) {
    Save("LC_ALL", all);
    Save("LC_PAPER", paper);
    Save("LANG", nullptr);
  }
  ~LocaleEnv() {
    for (const auto& [name, value] : m_old) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

 private:
  void Save(const char* name, const char* value) {
    const char* old = std::getenv(name);
    m_old.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> m_old;
};

TEST(LocalePaper, TheCLocalesPrintOnA4) {
  for (const char* name : {"C", "POSIX", "C.UTF-8"}) {
    LocaleEnv env(nullptr, name);
    EXPECT_EQ(LocalePaperSize(), (PaperSizeMm{210, 297})) << name;
  }
}

TEST(LocalePaper, ALocaleThatIsNotInstalledNamesNoPaper) {
  {
    LocaleEnv env("xx_NOWHERE.UTF-8", nullptr);
    EXPECT_EQ(LocalePaperSize(), std::nullopt);
  }
  // LC_ALL outranks LC_PAPER, as for every other category.
  LocaleEnv env("xx_NOWHERE.UTF-8", "C");
  EXPECT_EQ(LocalePaperSize(), std::nullopt);
}

}  // namespace
}  // namespace rondel
