// SPDX-License-Identifier: GPL-3.0-or-later
// The system's reasons for a failed read or write, in the program's language.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "shell/app_paths.h"
#include "shell/file_messages.h"
#include "shell/language.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

std::string Shipped(const char* name) {
  return std::string(RONDEL_SOURCE_DIR) + "/resources/" + name + ".lang";
}

// The reasons a user meets with files, folders and devices.
constexpr int kCommon[] = {ENOENT, EACCES, EPERM,  EISDIR, ENOTDIR, ENOSPC, EROFS,
                           EEXIST, ENAMETOOLONG, ELOOP, EIO, EBUSY, EDQUOT, EFBIG};

bool HasNonAscii(const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// Chinese words every common reason in Chinese; English in the C library's words.
TEST(SystemErrorText, EveryCommonReasonIsWordedByEachShippedLanguage) {
  for (const int error : kCommon) {
    SCOPED_TRACE(std::strerror(error));
    ASSERT_NE(ErrnoKey(error), nullptr);
    const std::string chinese = SystemErrorText(error, Shipped("chinese"));
    EXPECT_NE(chinese, std::strerror(error));
    EXPECT_TRUE(HasNonAscii(chinese)) << chinese;
    EXPECT_EQ(SystemErrorText(error, Shipped("english")),
              GetLangStringFrom(Shipped("english"), ErrnoKey(error)));
    EXPECT_NE(SystemErrorText(error, Shipped("english")), kLangNotFound);
  }
}

// A rare reason, or a language file without the key, falls back to the C library's text.
TEST(SystemErrorText, FallsBackToTheCLibraryForTheRest) {
  test::TempDir dir;
  const std::string bare = dir.Write("bare.lang", "[String]\nIDS_OTHER=x\n");
  EXPECT_EQ(ErrnoKey(EXDEV), nullptr);
  EXPECT_EQ(SystemErrorText(EXDEV, Shipped("chinese")), std::strerror(EXDEV));
  EXPECT_EQ(SystemErrorText(ENOENT, bare), std::strerror(ENOENT));
  // Reads and writes word their reasons alike.
  EXPECT_EQ(ReadErrorReason({ReadProblem::CannotOpen, EACCES}, Shipped("chinese")),
            SystemErrorText(EACCES, Shipped("chinese")));
  const std::string saved = g_strLangPath;
  g_strLangPath = Shipped("chinese");
  EXPECT_EQ(WriteErrorReason(ENOSPC), SystemErrorText(ENOSPC, Shipped("chinese")));
  g_strLangPath = saved;
}

}  // namespace
}  // namespace rondel
