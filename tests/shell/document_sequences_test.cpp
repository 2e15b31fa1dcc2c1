// The document life cycle as the user meets it: every question of New, Open, Save and exit,
// the Cancel paths, refused and short files, and the document's bytes afterwards. How a data
// file is read is the core's; here only what the shell asks and shows.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/data_file.h"
#include "shell/app_core.h"
#include "shell/app_paths.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

using test::ReadBytes;

constexpr const char* kIni =
    "[setup]\nchannel=16\n[ModelInfo]\ndata0=00400047\nFreq0=A\ndata1=60134017\nFreq1=B\n";
constexpr const char* kLang =
    "[String]\nIDS_WARN_CLEAR=clear?\nIDS_WARN_SAVE=save to:\nIDS_WARN_LOAD=not ours\n"
    "IDS_PROMPT=Prompt\nIDS_ERROR=Error\nIDS_SAVE_CHANGES=changed, save?\n"
    "IDS_ERROR_OPENFILE=cannot open\nIDS_ERROR_SAVEFILE=cannot save\n"
    "IDS_WARN_INCOMPLETE=only %d bytes\n";

class DocumentSequences : public testing::Test {
 protected:
  DocumentSequences() {
    SetAppPaths(dir.path(), dir.Write("setting.ini", kIni), dir.Write("english.lang", kLang));
    app.document().onUpdateAllViews = [this] { ++updates; };
  }
  // Every prompt as "text|caption|icon|buttons", and forgets them.
  std::vector<std::string> Seen() {
    std::vector<std::string> out;
    for (const auto& r : prompter.prompts)
      out.push_back(r.text + "|" + r.caption + "|" + std::to_string(int(r.icon)) + "|" +
                    std::to_string(int(r.buttons)));
    prompter.prompts.clear();
    return out;
  }
  void Fill() {
    app.doc().SetFrequencyText(1, Direction::Receive, "446.00625");
    app.doc().SetPttCodeText(PttCode::Start, "123");
    app.doc().SetSetting(Setting::SquelchLevel, 8);
    app.doc().SetModifiedFlag(true);
  }
  std::string Sample(const std::string& name) {
    CRondelDoc other;
    other.SelectModel(1, app.settings());
    other.SetFrequencyText(5, Direction::Receive, "150");
    EXPECT_TRUE(StoreDataFile(other, dir.File(name), app.settings()));
    return dir.File(name);
  }
  CRondelDoc::Image NewImage() {
    CRondelDoc d;
    d.SelectModel(0, app.settings());
    return d.image();
  }

  test::TempDir dir;
  test::ScriptedPrompter prompter;
  MemoryRecentFileStore recentStore;
  CRondelAppCore app{dir.File("setting.ini"), recentStore};
  int updates = 0;
  const std::string clear = "clear?|Prompt|" + std::to_string(int(PromptIcon::Warning)) + "|" +
                            std::to_string(int(PromptButtons::OkCancel));
  const std::string saveChanges = "changed, save?|Prompt|" + std::to_string(int(PromptIcon::Warning)) +
                                  "|" + std::to_string(int(PromptButtons::YesNoCancel));
};

using Prompts = std::vector<std::string>;

TEST_F(DocumentSequences, StartAsksNothingAndLaterNewAsksToClear) {
  ASSERT_TRUE(app.Start());
  EXPECT_EQ(Seen(), Prompts{});
  EXPECT_TRUE(app.doc().image() == NewImage());
  EXPECT_EQ(app.document().GetTitle() + app.document().GetPathName(), "Item");
  EXPECT_EQ(updates, 1);

  Fill();
  prompter.Answer(PromptAnswer::Cancel);  // keep the changes: no New
  EXPECT_FALSE(app.OnFileNew());
  EXPECT_EQ(Seen(), Prompts{saveChanges});
  EXPECT_TRUE(app.doc().IsModified());

  // Declining the clear keeps channels and codes; the radio-wide settings are reset all the same.
  prompter.Answer(PromptAnswer::No);
  prompter.Answer(PromptAnswer::Cancel);
  ASSERT_TRUE(app.OnFileNew());
  EXPECT_EQ(Seen(), (Prompts{saveChanges, clear}));
  EXPECT_EQ(app.doc().GetFrequencyText(1, Direction::Receive), "446.00625");
  EXPECT_EQ(app.doc().GetPttCodeText(PttCode::Start), "123");
  EXPECT_EQ(app.doc().GetSetting(Setting::SquelchLevel), 3);

  app.doc().SetModifiedFlag(false);
  prompter.Answer(PromptAnswer::Ok);
  ASSERT_TRUE(app.OnFileNew());
  EXPECT_EQ(Seen(), Prompts{clear});
  EXPECT_TRUE(app.doc().image() == NewImage());
}

TEST_F(DocumentSequences, OpenAsksOnlyAboutUnsavedChanges) {
  ASSERT_TRUE(app.Start());
  const std::string path = Sample("a.dig");
  Fill();
  prompter.Answer(PromptAnswer::Cancel);
  prompter.Answer(PromptAnswer::Cancel);  // asked again by the open itself
  EXPECT_FALSE(app.OpenDocumentFile(path));
  EXPECT_EQ(Seen(), (Prompts{saveChanges, saveChanges}));
  EXPECT_TRUE(app.doc().IsModified());

  prompter.Answer(PromptAnswer::No);
  ASSERT_TRUE(app.OpenDocumentFile(path));
  EXPECT_EQ(Seen(), Prompts{saveChanges});
  EXPECT_EQ(app.doc().GetFrequencyText(5, Direction::Receive), "150.00000");
  EXPECT_TRUE(app.doc().IsChannelEmpty(1));
  EXPECT_FALSE(app.doc().IsModified());
  EXPECT_EQ(app.doc().bandLow, 13600000);
  EXPECT_EQ(app.document().GetTitle(), "a.dig");

  prompter.ChooseOpen(std::nullopt);
  EXPECT_FALSE(app.OnFileOpen());
  ASSERT_EQ(prompter.openDialogs.size(), 1u);
  EXPECT_EQ(prompter.openDialogs[0].proposedPath, dir.path() + "/");
  EXPECT_EQ(prompter.openDialogs[0].filterName, "Radio Program Data Files(*.dig)");
  EXPECT_EQ(app.document().GetPathName(), path);
}

TEST_F(DocumentSequences, SaveAsksBeforeWritingOverTheFileAndANewDocumentGetsADialog) {
  ASSERT_TRUE(app.Start());
  app.doc().SetModifiedFlag(true);
  prompter.ChooseSave(dir.File("typed"));
  ASSERT_TRUE(app.OnFileSave());
  EXPECT_EQ(Seen(), Prompts{});
  EXPECT_EQ(prompter.saveDialogs.at(0).proposedPath, "Item.dig");
  const std::string path = dir.File("typed.dig");
  EXPECT_EQ(ReadBytes(path), SerializeDocument(app.doc()));

  app.doc().SetFrequencyText(6, Direction::Receive, "446.1");
  app.doc().SetModifiedFlag(true);
  prompter.Answer(PromptAnswer::Cancel);
  EXPECT_FALSE(app.OnFileSave());
  EXPECT_EQ(Seen(), Prompts{"save to:" + path + "|Prompt|" + std::to_string(int(PromptIcon::Warning)) +
                            "|" + std::to_string(int(PromptButtons::OkCancel))});
  EXPECT_NE(ReadBytes(path), SerializeDocument(app.doc()));
  prompter.Answer(PromptAnswer::Yes);  // exit: save the changes, without the save question
  EXPECT_TRUE(app.CanExit());
  EXPECT_EQ(Seen(), Prompts{saveChanges});
  EXPECT_EQ(ReadBytes(path), SerializeDocument(app.doc()));
  EXPECT_TRUE(app.CanExit());
  EXPECT_EQ(prompter.saveDialogs.size(), 1u);

  app.doc().SetModifiedFlag(true);
  prompter.ChooseSave(dir.File("no/such/folder/x.dig"));
  EXPECT_FALSE(app.OnFileSaveAs());
  EXPECT_EQ(Seen(), Prompts{"cannot save\n" + dir.File("no/such/folder/x.dig") + "|Error|" +
                            std::to_string(int(PromptIcon::Error)) + "|" +
                            std::to_string(int(PromptButtons::Ok))});
  EXPECT_TRUE(app.doc().IsModified());
}

TEST_F(DocumentSequences, AFileThatIsNotOursLeavesANewDocumentAndIsNeverWrittenOver) {
  ASSERT_TRUE(app.Start());
  const std::string earlier = Sample("earlier.dig");
  ASSERT_TRUE(app.OpenDocumentFile(earlier));
  const std::string refused = dir.Write("refused.dig", "Pelto Radio Program datA v1.02" + std::string(4114, '\0'));
  const std::string missing = dir.File("missing.dig");
  EXPECT_FALSE(app.OpenDocumentFile(refused));
  EXPECT_FALSE(app.OpenDocumentFile(missing));
  EXPECT_EQ(Seen(), (Prompts{"not ours|Error|" + std::to_string(int(PromptIcon::Error)) + "|" +
                                 std::to_string(int(PromptButtons::Ok)),
                             "cannot open\n" + missing + "|Error|" + std::to_string(int(PromptIcon::Error)) +
                                 "|" + std::to_string(int(PromptButtons::Ok))}));
  EXPECT_TRUE(app.doc().image() == NewImage());
  EXPECT_EQ(app.document().GetPathName(), "");
  EXPECT_EQ(app.recentFiles().Entries(), std::vector<std::string>{earlier});
  prompter.ChooseSave(std::nullopt);
  EXPECT_FALSE(app.OnFileSave());
  EXPECT_EQ(prompter.saveDialogs.size(), 1u);
  EXPECT_TRUE(app.Start(refused)) << "the program starts; only the file is refused";
  EXPECT_FALSE(app.Start(missing));
}

TEST_F(DocumentSequences, AShortFileOpensWithTheRestBlankAndSaysHowMuchItFound) {
  ASSERT_TRUE(app.Start());
  const std::vector<std::uint8_t> whole = ReadBytes(Sample("whole.dig"));
  for (const std::size_t length : {std::size_t{0}, std::size_t{101}, std::size_t{4143}, std::size_t{4144}}) {
    SCOPED_TRACE(length);
    const std::string path = dir.WriteBytes("short" + std::to_string(length) + ".dig",
                                            {whole.begin(), whole.begin() + std::ptrdiff_t(length)});
    EXPECT_TRUE(app.OpenDocumentFile(path));
    const bool warned = length > 0 && length < 4144;
    EXPECT_EQ(Seen(), warned ? Prompts{"only " + std::to_string(length) + " bytes|Prompt|" +
                                       std::to_string(int(PromptIcon::Warning)) + "|" +
                                       std::to_string(int(PromptButtons::Ok))}
                             : Prompts{});
    EXPECT_EQ(app.document().GetPathName(), path);
    EXPECT_EQ(app.doc().image()[0x50], length > 0x50 + 48 ? whole[0x50 + 48] : 0xFF);
  }
  EXPECT_EQ(app.recentFiles().Entries().size(), 4u);
}

TEST_F(DocumentSequences, ARangeChangeAndARecomputeRefreshEveryView) {
  ASSERT_TRUE(app.Start());
  app.doc().SetBandCode({0x60, 0x13, 0x40, 0x17});
  app.document().RecomputeAndRefresh();
  EXPECT_EQ(app.doc().bandHigh, 17400000);
  EXPECT_EQ(updates, 2);
  Fill();
  app.doc().SetModifiedFlag(false);
  prompter.Answer(PromptAnswer::Ok);
  EXPECT_TRUE(app.document().ApplyEdit(ListEdit{SettingsList::FrequencyRange, 0}).Applied());
  EXPECT_EQ(prompter.prompts.size(), 1u);
  EXPECT_TRUE(app.doc().image() == NewImage());
  EXPECT_TRUE(app.doc().IsModified());
  EXPECT_EQ(updates, 3);
}

}  // namespace
}  // namespace rondel
