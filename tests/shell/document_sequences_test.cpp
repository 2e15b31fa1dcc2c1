// SPDX-License-Identifier: GPL-3.0-or-later
// The document life cycle: the questions of New, Open, Save and exit, the Cancel paths, refused and
// short files. How a data file is read is the core's; here only what the shell asks and keeps.
#include <gtest/gtest.h>
#include <filesystem>
#include "core/data_file.h"
#include "shell/document/app_core.h"
#include "shell/app_paths.h"
#include "support/memory_recent_files.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {
using test::ReadBytes;
using Prompts = std::vector<std::string>;

class DocumentSequences : public testing::Test {
 protected:
  DocumentSequences() {
    SetAppPaths(dir.path(), dir.Write("setting.ini", "[setup]\nchannel=16\n[ModelInfo]\ndata0=00400047\n"
                                      "Freq0=A\ndata1=60134017\nFreq1=B\n"),
                dir.Write("english.lang",
                          "[String]\nIDS_WARN_CLEAR=clear?\nIDS_WARN_SAVE=save to:\nIDS_WARN_LOAD=not ours\n"
                          "IDS_PROMPT=P\nIDS_ERROR=E\nIDS_SAVE_CHANGES=save changes?\nIDS_ERROR_OPENFILE=no open\n"
                          "IDS_WARN_INCOMPLETE=only %d bytes\n"));
    EXPECT_TRUE(app.Start());
  }
  // Each prompt as "caption:text/icon buttons", then forgotten.
  Prompts Seen() {
    Prompts out;
    for (const auto& r : prompter.prompts)
      out.push_back(r.caption + ":" + r.text + "/" + std::to_string(int(r.icon)) + std::to_string(int(r.buttons)));
    prompter.prompts.clear();
    return out;
  }
  void Fill() {
    app.Doc().SetFrequencyText(1, Direction::Receive, "446.00625");
    app.Doc().SetPttCodeText(PttCode::Start, "123");
    app.Doc().SetSetting(Setting::SquelchLevel, 8);
    app.Doc().SetModifiedFlag(true);
  }
  std::string Sample(const std::string& name) {
    CRondelDoc other;
    other.SelectModel(1, app.Settings());
    other.SetFrequencyText(5, Direction::Receive, "150");
    EXPECT_TRUE(StoreDataFile(other, dir.File(name), app.Settings()));
    return dir.File(name);
  }
  bool IsNew() {
    CRondelDoc d;
    return d.SelectModel(0, app.Settings()), d.image() == app.Doc().image() && app.Document().GetPathName().empty();
  }

  test::TempDir dir;
  test::ScriptedPrompter prompter;
  MemoryRecentFileStore recentStore;
  CRondelAppCore app{dir.File("setting.ini"), recentStore};
  const std::string w = std::to_string(int(PromptIcon::Warning)), e = std::to_string(int(PromptIcon::Error)),
                    ok = std::to_string(int(PromptButtons::Ok)), okCancel = std::to_string(int(PromptButtons::OkCancel));
  const std::string clear = "P:clear?/" + w + okCancel;
  const std::string saveChanges = "P:save changes?/" + w + std::to_string(int(PromptButtons::YesNoCancel));
};

TEST_F(DocumentSequences, StartAsksNothingAndNewAsksFirstToSaveThenToClear) {
  EXPECT_EQ(Seen(), Prompts{});
  EXPECT_TRUE(IsNew() && app.Document().GetTitle() == "Item");
  Fill();
  prompter.Answer(PromptAnswer::Cancel);
  EXPECT_FALSE(app.OnFileNew() || !app.Doc().IsModified());
  EXPECT_EQ(Seen(), Prompts{saveChanges});
  // Declining the clear abandons the New: not a byte, not the flag, not the path changes.
  const std::string path = dir.File("kept.dig");
  prompter.ChooseSave(path);
  ASSERT_TRUE(app.OnFileSaveAs());
  app.Doc().SetSetting(Setting::SquelchLevel, 5);
  app.Doc().SetChannelOption(1, ChannelOption::Narrow, 0);
  app.Doc().SetModifiedFlag(true);
  const std::vector<std::uint8_t> before = SerializeDocument(app.Doc());
  prompter.Answer(PromptAnswer::No);
  prompter.Answer(PromptAnswer::Cancel);
  EXPECT_FALSE(app.OnFileNew());
  EXPECT_EQ(Seen(), (Prompts{saveChanges, clear}));
  EXPECT_EQ(SerializeDocument(app.Doc()), before);
  EXPECT_TRUE(app.Doc().IsModified());
  EXPECT_EQ(app.Document().GetPathName(), path);
  // And a later New asks the clear question again, as ever.
  app.Doc().SetModifiedFlag(false);
  prompter.Answer(PromptAnswer::Ok);
  ASSERT_TRUE(app.OnFileNew());
  EXPECT_EQ(Seen(), Prompts{clear});
  EXPECT_TRUE(IsNew());
}

TEST_F(DocumentSequences, OpenAsksOnceAboutUnsavedChanges) {
  const std::string path = Sample("a.dig");
  Fill();
  const std::vector<std::uint8_t> before = SerializeDocument(app.Doc());
  // Cancel ends the open at once, the document as it was.
  prompter.Answer(PromptAnswer::Cancel);
  EXPECT_EQ(app.Open(path), OpenOutcome::Cancelled);
  EXPECT_EQ(Seen(), Prompts{saveChanges});
  EXPECT_EQ(SerializeDocument(app.Doc()), before);
  EXPECT_TRUE(app.Doc().IsModified());
  // The next New still asks its clear question: the cancelled open skipped nothing for later.
  prompter.Answer(PromptAnswer::No);
  prompter.Answer(PromptAnswer::Cancel);
  EXPECT_FALSE(app.OnFileNew());
  EXPECT_EQ(Seen(), (Prompts{saveChanges, clear}));
  prompter.Answer(PromptAnswer::No);
  ASSERT_TRUE(app.OpenDocumentFile(path));
  EXPECT_EQ(Seen(), Prompts{saveChanges});
  EXPECT_EQ(app.Doc().GetFrequencyText(5, Direction::Receive) + app.Doc().GetFrequencyText(1, Direction::Receive), "150.00000");
  EXPECT_EQ(std::make_pair(app.Doc().IsModified(), app.Doc().bandLow), std::make_pair(false, 13600000));
}

TEST_F(DocumentSequences, SaveAsksBeforeWritingOverAFileAndExitSavesWithoutAsking) {
  app.Doc().SetModifiedFlag(true);
  prompter.ChooseSave(dir.File("typed"));
  ASSERT_TRUE(app.OnFileSave());
  EXPECT_EQ(Seen(), Prompts{});
  EXPECT_EQ(prompter.saveDialogs.at(0).proposedPath, "Item.dig");
  const std::string path = dir.File("typed.dig");
  app.Doc().SetFrequencyText(6, Direction::Receive, "446.1");
  app.Doc().SetModifiedFlag(true);
  prompter.Answer(PromptAnswer::Cancel);
  EXPECT_FALSE(app.OnFileSave());
  EXPECT_EQ(Seen(), Prompts{"P:save to:" + path + "/" + w + okCancel});
  EXPECT_NE(ReadBytes(path), SerializeDocument(app.Doc()));
  prompter.Answer(PromptAnswer::Yes);
  EXPECT_TRUE(app.CanExit());
  EXPECT_EQ(Seen(), Prompts{saveChanges});
  EXPECT_EQ(ReadBytes(path), SerializeDocument(app.Doc()));
  EXPECT_TRUE(app.CanExit());
}

TEST_F(DocumentSequences, RefusedAndShortFiles) {
  const std::string earlier = Sample("earlier.dig");
  ASSERT_TRUE(app.OpenDocumentFile(earlier));
  const std::string refused = dir.Write("refused.dig", "Pelto Radio Program datA v1.02" + std::string(4114, '\0'));
  EXPECT_FALSE(app.OpenDocumentFile(refused));
  EXPECT_FALSE(app.OpenDocumentFile(dir.File("gone.dig")));
  EXPECT_EQ(Seen(), (Prompts{"E:not ours/" + e + ok, "E:no open\n" + dir.File("gone.dig") + "/" + e + ok}));
  EXPECT_TRUE(IsNew());
  EXPECT_EQ(app.RecentFiles().Entries(), Prompts{earlier});
  prompter.ChooseSave(std::nullopt);  // nothing offers to write over the refused file
  EXPECT_FALSE(app.OnFileSave());
  EXPECT_EQ(prompter.saveDialogs.size(), 1u);
  EXPECT_TRUE(app.Start(refused)) << "the program starts; only the file is refused";
  EXPECT_FALSE(app.Start(dir.File("gone.dig")));
  prompter.prompts.clear();
  // A short file opens with the rest blank, and says how much it found; an empty one is no
  // data file at all. The document remembers how much the file held.
  const std::vector<std::uint8_t> whole = ReadBytes(earlier);
  const struct { std::size_t length; bool opens; Prompts seen; } cases[] = {
      {0, false, {"E:not ours/" + e + ok}},
      {101, true, {"P:only 101 bytes/" + w + ok}},
      {4143, true, {"P:only 4143 bytes/" + w + ok}},
      {4144, true, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    ASSERT_TRUE(app.OpenDocumentFile(earlier));
    const std::string path = dir.WriteBytes(std::to_string(c.length), {whole.begin(), whole.begin() + long(c.length)});
    prompter.prompts.clear();
    EXPECT_EQ(app.OpenDocumentFile(path), c.opens);
    EXPECT_EQ(Seen(), c.seen);
    EXPECT_EQ(app.Document().GetPathName(), c.opens ? path : "");
    EXPECT_EQ(app.Doc().image()[0x50], c.length > 0x50 + 48 ? whole[0x50 + 48] : 0xFF);
    EXPECT_EQ(app.Document().ShortFileLength(), c.length % 4144);
  }
}
// Saving where a symbolic link stands: the document's own file, opened through the link, is
// written through it; a link to anything else is replaced, whatever it leads to.
TEST_F(DocumentSequences, ASaveFollowsALinkOnlyToTheDocumentsOwnFile) {
  namespace fs = std::filesystem;
  const struct {
    const char* name;
    bool openThroughLink;  // else the link is planted at the name a Save As is given
    bool followed;
  } cases[] = {
      {"opened through the link", true, true},
      {"a planted link", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string target = Sample(std::string(c.name) + " target.dig");
    const std::vector<std::uint8_t> targetBefore = ReadBytes(target);
    const std::string link = dir.File(std::string(c.name) + " link.dig");
    fs::create_symlink(target, link);
    if (c.openThroughLink) {
      ASSERT_TRUE(app.OpenDocumentFile(link));
    } else {
      ASSERT_TRUE(app.OpenDocumentFile(Sample(std::string(c.name) + " own.dig")));
    }
    app.Doc().SetFrequencyText(9, Direction::Receive, "446.1");
    app.Doc().SetModifiedFlag(true);
    if (c.openThroughLink) {
      prompter.Answer(PromptAnswer::Ok);  // write over the file
      ASSERT_TRUE(app.OnFileSave());
      // Saved twice: the second save still knows the file behind the link.
      app.Doc().SetFrequencyText(10, Direction::Receive, "446.2");
      prompter.Answer(PromptAnswer::Ok);
      ASSERT_TRUE(app.OnFileSave());
    } else {
      prompter.ChooseSave(link);
      ASSERT_TRUE(app.OnFileSaveAs());
    }
    EXPECT_EQ(fs::is_symlink(link), c.followed);
    EXPECT_EQ(ReadBytes(link), SerializeDocument(app.Doc()));
    EXPECT_EQ(ReadBytes(target) == targetBefore, !c.followed);
    Seen();
  }
}

}  // namespace
}  // namespace rondel
