// The document life cycle as the user meets it: every question of New, Open, Save and exit,
// every Cancel path, and the document's bytes afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/data_file.h"
#include "shell/app_core.h"
#include "shell/app_paths.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

using test::ReadBytes;
using test::ScriptedPrompter;
using test::TempDir;

constexpr const char* kIni =
    "[setup]\nchannel=16\n[ModelInfo]\ndata0=00400047\nFreq0=A\ndata1=60134017\nFreq1=B\n";

// Texts that name their key, so each prompt can be recognised.
constexpr const char* kLang =
    "[String]\nIDS_WARN_CLEAR=clear?\nIDS_WARN_SAVE=save to:\nIDS_WARN_LOAD=not ours\n"
    "IDS_PROMPT=Prompt\nIDS_ERROR=Error\nIDS_SAVE_CHANGES=changed, save?\n"
    "IDS_ERROR_OPENFILE=cannot open\nIDS_ERROR_SAVEFILE=cannot save\n"
    "IDS_WARN_INCOMPLETE=only %d bytes\n";

struct Seen {
  std::string text;
  std::string caption;
  PromptIcon icon;
  PromptButtons buttons;
  bool operator==(const Seen&) const = default;
  friend void PrintTo(const Seen& s, std::ostream* os) {
    *os << "{\"" << s.text << "\", \"" << s.caption << "\", icon " << static_cast<int>(s.icon)
        << ", buttons " << static_cast<int>(s.buttons) << "}";
  }
};

std::vector<Seen> SeenPrompts(const ScriptedPrompter& p) {
  std::vector<Seen> out;
  for (const auto& r : p.prompts) out.push_back({r.text, r.caption, r.icon, r.buttons});
  return out;
}

const Seen kClear{"clear?", "Prompt", PromptIcon::Warning, PromptButtons::OkCancel};
const Seen kSaveChanges{"changed, save?", "Prompt", PromptIcon::Warning, PromptButtons::YesNoCancel};

class DocumentSequences : public testing::Test {
 protected:
  DocumentSequences() {
    SetAppPaths(dir.path(), dir.Write("setting.ini", kIni), dir.Write("english.lang", kLang));
    app.document().onUpdateAllViews = [this] { ++updates; };
  }

  // A document with some of everything the clear question protects, and settings it resets.
  void FillDocument() {
    CRondelDoc& d = app.doc();
    d.SetFrequencyText(1, Direction::Receive, "446.00625");
    d.SetFrequencyText(1, Direction::Transmit, "446.1");
    d.SetToneText(1, Direction::Receive, "88.5");
    d.SetToneText(1, Direction::Transmit, "D754I");
    d.SetPttCodeText(PttCode::Start, "123");
    d.SetPttCodeText(PttCode::End, "9");
    d.SetReadPasswordText("Ab1");
    d.SetSetting(Setting::SquelchLevel, 8);
    d.SetChannelOption(1, ChannelOption::Narrow, 1);
    d.SetBandCode({0x60, 0x13, 0x40, 0x17});
    d.image()[0x3D0] = 'X';
    d.SetModifiedFlag(true);
  }

  std::string SaveSample(const std::string& name) {
    CRondelDoc other;
    other.SelectModel(1, app.settings());
    other.SetFrequencyText(5, Direction::Receive, "150");
    const std::string path = dir.File(name);
    EXPECT_TRUE(StoreDataFile(other, path, app.settings()));
    return path;
  }

  TempDir dir;
  ScriptedPrompter prompter;
  MemoryRecentFileStore recentStore;
  CRondelAppCore app{dir.File("setting.ini"), recentStore};
  int updates = 0;
};

TEST_F(DocumentSequences, StartAsksNothingAndGivesModelZerosNewDocument) {
  ASSERT_TRUE(app.Start());
  EXPECT_TRUE(prompter.prompts.empty());
  EXPECT_EQ(app.m_bSkipClearPrompt, 0);
  CRondelDoc expected;
  expected.SelectModel(0, app.settings());
  EXPECT_EQ(app.doc().image(), expected.image());
  EXPECT_FALSE(app.doc().IsModified());
  EXPECT_EQ(app.document().GetPathName(), "");
  EXPECT_EQ(app.document().GetTitle(), "Item");
  EXPECT_EQ(updates, 1);
}

TEST_F(DocumentSequences, LaterNewAsksToClearAndOkBlanks) {
  ASSERT_TRUE(app.Start());
  FillDocument();
  app.doc().SetModifiedFlag(false);
  prompter.Answer(PromptAnswer::Ok);
  ASSERT_TRUE(app.OnFileNew());
  EXPECT_EQ(SeenPrompts(prompter), std::vector<Seen>{kClear});
  CRondelDoc expected;
  expected.SelectModel(0, app.settings());
  EXPECT_EQ(app.doc().image(), expected.image());
}

TEST_F(DocumentSequences, CancelToClearKeepsChannelsCodesPasswordButResetsTheRest) {
  ASSERT_TRUE(app.Start());
  const std::string path = SaveSample("kept.dig");
  ASSERT_TRUE(app.OpenDocumentFile(path));
  FillDocument();
  app.doc().SetModifiedFlag(false);
  const CRondelDoc::Image before = app.doc().image();

  prompter.Answer(PromptAnswer::Cancel);
  ASSERT_TRUE(app.OnFileNew());
  EXPECT_EQ(SeenPrompts(prompter), std::vector<Seen>{kClear});

  // What the question protects is still there...
  const CRondelDoc& d = app.doc();
  EXPECT_EQ(d.GetFrequencyText(1, Direction::Receive), "446.00625");
  EXPECT_EQ(d.GetFrequencyText(5, Direction::Receive), "150.00000");
  EXPECT_EQ(d.GetToneText(1, Direction::Transmit, "off"), "D754I");
  EXPECT_EQ(d.GetPttCodeText(PttCode::Start), "123");
  EXPECT_EQ(d.GetReadPasswordText(), "Ab1");
  EXPECT_EQ(app.document().GetPathName(), path) << "the path stays";
  // ...the model's defaults are written all the same.
  EXPECT_EQ(d.GetSetting(Setting::SquelchLevel), 3);
  EXPECT_EQ(d.GetChannelOption(1, ChannelOption::Narrow), 0);
  EXPECT_EQ(d.GetBandCode(), (BandCode{0x00, 0x40, 0x00, 0x47}));
  EXPECT_EQ(d.image()[0x3D0], 'N');
  EXPECT_EQ(d.bandHigh, 47000000);
  EXPECT_FALSE(d.IsModified());
  // Nothing outside those fields moved.
  for (std::size_t a = 0; a < before.size(); ++a) {
    const bool reset = (a >= 0x10 && a < 0x110 && a % 16 == 12) || (a >= 0x3C0 && a <= 0x3C7) ||
                       (a >= 0x3D0 && a <= 0x3DB);
    if (!reset) {
      ASSERT_EQ(d.image()[a], before[a]) << std::hex << a;
    }
  }
}

TEST_F(DocumentSequences, NewOnAModifiedDocumentAsksToSaveFirst) {
  ASSERT_TRUE(app.Start());
  FillDocument();
  const CRondelDoc::Image before = app.doc().image();
  prompter.Answer(PromptAnswer::Cancel);
  EXPECT_FALSE(app.OnFileNew());
  EXPECT_EQ(SeenPrompts(prompter), std::vector<Seen>{kSaveChanges});
  EXPECT_EQ(app.doc().image(), before);
  EXPECT_TRUE(app.doc().IsModified());

  prompter.Answer(PromptAnswer::No);
  prompter.Answer(PromptAnswer::Ok);
  EXPECT_TRUE(app.OnFileNew());
  EXPECT_EQ(SeenPrompts(prompter), (std::vector<Seen>{kSaveChanges, kSaveChanges, kClear}));
  EXPECT_TRUE(app.doc().IsChannelEmpty(1));
}

TEST_F(DocumentSequences, OpenNeverAsksToClearEvenWhenModified) {
  ASSERT_TRUE(app.Start());
  const std::string path = SaveSample("a.dig");
  FillDocument();
  prompter.Answer(PromptAnswer::No);  // do not save the changes
  ASSERT_TRUE(app.OpenDocumentFile(path));
  EXPECT_EQ(SeenPrompts(prompter), std::vector<Seen>{kSaveChanges});
  EXPECT_EQ(app.doc().GetFrequencyText(5, Direction::Receive), "150.00000");
  EXPECT_TRUE(app.doc().IsChannelEmpty(1));
  EXPECT_EQ(app.document().GetPathName(), path);
  EXPECT_EQ(app.document().GetTitle(), "a.dig");
  EXPECT_FALSE(app.doc().IsModified());
  EXPECT_EQ(app.doc().bandLow, 13600000);
  EXPECT_EQ(app.recentFiles().Entries(), std::vector<std::string>{path});
}

TEST_F(DocumentSequences, MenuOpenGoesThroughTheOpenDialog) {
  ASSERT_TRUE(app.Start());
  const std::string path = SaveSample("b.dig");
  prompter.ChooseOpen(path);
  ASSERT_TRUE(app.OnFileOpen());
  ASSERT_EQ(prompter.openDialogs.size(), 1u);
  EXPECT_EQ(prompter.openDialogs[0].filterName, "Radio Program Data Files(*.dig)");
  EXPECT_EQ(prompter.openDialogs[0].extension, ".dig");
  EXPECT_EQ(app.document().GetPathName(), path);

  prompter.ChooseOpen(std::nullopt);
  EXPECT_FALSE(app.OnFileOpen());
  EXPECT_EQ(app.document().GetPathName(), path);
  EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(DocumentSequences, CancelTwiceAbandonsTheOpenWithTheDocumentUnchanged) {
  ASSERT_TRUE(app.Start());
  const std::string path = SaveSample("c.dig");
  FillDocument();
  const CRondelDoc::Image before = app.doc().image();
  prompter.Answer(PromptAnswer::Cancel);  // the New step's question
  prompter.Answer(PromptAnswer::Cancel);  // the open's own, asked again
  EXPECT_FALSE(app.OpenDocumentFile(path));
  EXPECT_EQ(SeenPrompts(prompter), (std::vector<Seen>{kSaveChanges, kSaveChanges}));
  EXPECT_EQ(app.doc().image(), before);
  EXPECT_TRUE(app.doc().IsModified());
  EXPECT_EQ(app.document().GetPathName(), "");
  // The flag the open set is still set: the next New is not asked about clearing.
  EXPECT_EQ(app.m_bSkipClearPrompt, 1);
}

TEST_F(DocumentSequences, CancelThenNoStillOpensTheFile) {
  ASSERT_TRUE(app.Start());
  const std::string path = SaveSample("d.dig");
  FillDocument();
  prompter.Answer(PromptAnswer::Cancel);
  prompter.Answer(PromptAnswer::No);
  ASSERT_TRUE(app.OpenDocumentFile(path));
  EXPECT_EQ(app.doc().GetFrequencyText(5, Direction::Receive), "150.00000");
  // The New step never ran, but the framework's open empties the document before reading.
  EXPECT_TRUE(app.doc().IsChannelEmpty(1));
  EXPECT_FALSE(app.doc().IsModified());
}

TEST_F(DocumentSequences, ReopeningTheSameFileDiscardsUnsavedChanges) {
  ASSERT_TRUE(app.Start());
  const std::string path = SaveSample("e.dig");
  ASSERT_TRUE(app.OpenDocumentFile(path));
  app.doc().SetFrequencyText(5, Direction::Receive, "151");
  app.doc().SetModifiedFlag(true);
  prompter.Answer(PromptAnswer::No);
  ASSERT_TRUE(app.OpenDocumentFile(path));
  EXPECT_EQ(SeenPrompts(prompter), std::vector<Seen>{kSaveChanges});
  EXPECT_EQ(app.doc().GetFrequencyText(5, Direction::Receive), "150.00000");
}

TEST_F(DocumentSequences, SaveOnAFileAsksWithThePathAndCancelWritesNothing) {
  ASSERT_TRUE(app.Start());
  const std::string path = SaveSample("f.dig");
  ASSERT_TRUE(app.OpenDocumentFile(path));
  const auto onDisk = ReadBytes(path);
  app.doc().SetFrequencyText(6, Direction::Receive, "152");
  app.doc().SetModifiedFlag(true);

  prompter.Answer(PromptAnswer::Cancel);
  EXPECT_FALSE(app.OnFileSave());
  const Seen saveQuestion{"save to:" + path, "Prompt", PromptIcon::Warning, PromptButtons::OkCancel};
  EXPECT_EQ(SeenPrompts(prompter), std::vector<Seen>{saveQuestion});
  EXPECT_EQ(ReadBytes(path), onDisk);
  EXPECT_TRUE(app.doc().IsModified());

  prompter.Answer(PromptAnswer::Ok);
  EXPECT_TRUE(app.OnFileSave());
  EXPECT_EQ(ReadBytes(path), SerializeDocument(app.doc()));
  EXPECT_FALSE(app.doc().IsModified());
  EXPECT_TRUE(prompter.saveDialogs.empty());
}

TEST_F(DocumentSequences, SaveOnANewDocumentGoesStraightToTheFileDialog) {
  ASSERT_TRUE(app.Start());
  app.doc().SetFrequencyText(2, Direction::Receive, "430");
  app.doc().SetModifiedFlag(true);
  prompter.ChooseSave(dir.File("typed-without-extension"));
  ASSERT_TRUE(app.OnFileSave());
  EXPECT_TRUE(prompter.prompts.empty());
  ASSERT_EQ(prompter.saveDialogs.size(), 1u);
  EXPECT_EQ(prompter.saveDialogs[0].proposedPath, "Item.dig");
  EXPECT_EQ(prompter.saveDialogs[0].filterName, "Radio Program Data Files(*.dig)");
  const std::string saved = dir.File("typed-without-extension.dig");
  EXPECT_EQ(app.document().GetPathName(), saved);
  EXPECT_EQ(ReadBytes(saved), SerializeDocument(app.doc()));
  EXPECT_FALSE(app.doc().IsModified());

  // A cancelled dialog saves nothing and leaves the flag.
  app.doc().SetModifiedFlag(true);
  prompter.ChooseSave(std::nullopt);
  EXPECT_FALSE(app.OnFileSaveAs());
  EXPECT_TRUE(app.doc().IsModified());
}

TEST_F(DocumentSequences, SaveAsAsksNoSaveQuestion) {
  ASSERT_TRUE(app.Start());
  const std::string path = SaveSample("g.dig");
  ASSERT_TRUE(app.OpenDocumentFile(path));
  prompter.ChooseSave(dir.File("copy.dig"));
  ASSERT_TRUE(app.OnFileSaveAs());
  EXPECT_TRUE(prompter.prompts.empty());
  EXPECT_EQ(ReadBytes(dir.File("copy.dig")), ReadBytes(path));
  EXPECT_EQ(app.document().GetPathName(), dir.File("copy.dig"));
  EXPECT_EQ(app.recentFiles().Entries(), (std::vector<std::string>{dir.File("copy.dig"), path}));
}

TEST_F(DocumentSequences, FailedOpenReportsAndKeepsTheNewDocument) {
  ASSERT_TRUE(app.Start());
  FillDocument();
  app.doc().SetModifiedFlag(false);
  const std::string missing = dir.File("missing.dig");
  EXPECT_FALSE(app.OpenDocumentFile(missing));
  const Seen failed{"cannot open\n" + missing, "Error", PromptIcon::Error, PromptButtons::Ok};
  EXPECT_EQ(SeenPrompts(prompter), std::vector<Seen>{failed});
  EXPECT_TRUE(app.doc().IsChannelEmpty(1)) << "the New step ran before the open";
  EXPECT_EQ(app.doc().GetSetting(Setting::SquelchLevel), 3);
  EXPECT_TRUE(app.recentFiles().Entries().empty());
}

// The file dialogs start where the document's file is, not wherever the last one ended.
TEST_F(DocumentSequences, FileDialogsStartInTheFolderOfTheDocumentsFile) {
  ASSERT_TRUE(app.Start());
  prompter.ChooseOpen(std::nullopt);
  EXPECT_FALSE(app.OnFileOpen());
  std::filesystem::create_directory(dir.File("radios"));
  const std::string path = SaveSample("radios/mine.dig");
  ASSERT_TRUE(app.OpenDocumentFile(path));
  prompter.ChooseOpen(std::nullopt);
  EXPECT_FALSE(app.OnFileOpen());
  prompter.ChooseSave(std::nullopt);
  EXPECT_FALSE(app.OnFileSaveAs());
  ASSERT_EQ(prompter.openDialogs.size(), 2u);
  EXPECT_EQ(prompter.openDialogs[0].proposedPath, "") << "a new document: where the user was";
  EXPECT_EQ(prompter.openDialogs[1].proposedPath, dir.File("radios/"));
  ASSERT_EQ(prompter.saveDialogs.size(), 1u);
  EXPECT_EQ(prompter.saveDialogs[0].proposedPath, path);
}

// ---- files that are not ours, or not whole ---------------------------------------------

struct RefusedCase {
  const char* name;
  std::string bytes;
};

const RefusedCase kRefused[] = {
    {"ForeignFileOfFullLength", std::string(4144, 'x')},
    {"OneByteP", "P"},
    {"TheComparedTextLessOneByte", "Pelto Radio Program dat"},
    {"LastComparedByteDiffers", "Pelto Radio Program datA v1.02" + std::string(4114, '\0')},
};

class RefusedFile : public DocumentSequences, public testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedFile, LeavesTheNewDocumentWithoutPathAndOutOfTheRecentFiles) {
  ASSERT_TRUE(app.Start());
  const std::string earlier = SaveSample("earlier.dig");
  ASSERT_TRUE(app.OpenDocumentFile(earlier));
  FillDocument();
  app.doc().SetModifiedFlag(false);
  const std::string path = dir.Write("refused.dig", GetParam().bytes);
  app.recentFiles().Add(path);  // opened fine once, replaced since

  EXPECT_FALSE(app.OpenDocumentFile(path));
  const Seen warn{"not ours", "Error", PromptIcon::Error, PromptButtons::Ok};
  EXPECT_EQ(SeenPrompts(prompter), std::vector<Seen>{warn});
  // The new document the open made: model 0's defaults, no path, not modified.
  CRondelDoc expected;
  expected.SelectModel(0, app.settings());
  EXPECT_EQ(app.doc().image(), expected.image());
  EXPECT_EQ(app.doc().header(), expected.header());
  EXPECT_EQ(app.document().GetPathName(), "");
  EXPECT_EQ(app.document().GetTitle(), "Item");
  EXPECT_FALSE(app.doc().IsModified());
  EXPECT_EQ(app.recentFiles().Entries(), std::vector<std::string>{earlier});

  // Save asks for a name; nothing ever offers to write over the refused file.
  prompter.ChooseSave(std::nullopt);
  EXPECT_FALSE(app.OnFileSave());
  EXPECT_EQ(prompter.saveDialogs.size(), 1u);
  EXPECT_EQ(prompter.prompts.size(), 1u) << "no question about writing over a file";
  EXPECT_EQ(test::ReadText(path), GetParam().bytes);
}

TEST_P(RefusedFile, OnTheCommandLineStartsWithTheNewDocument) {
  const std::string path = dir.Write("refused.dig", GetParam().bytes);
  EXPECT_TRUE(app.Start(path)) << "the program starts; only the file is refused";
  EXPECT_EQ(prompter.prompts.size(), 1u);
  EXPECT_EQ(app.document().GetPathName(), "");
  CRondelDoc expected;
  expected.SelectModel(0, app.settings());
  EXPECT_EQ(app.doc().image(), expected.image());
  EXPECT_TRUE(app.recentFiles().Entries().empty());
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedFile, testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

struct ShortCase {
  const char* name;
  std::size_t length;
  const char* warning;  // nullptr: opened without a word
};

const ShortCase kShort[] = {
    {"Empty", 0, nullptr},
    {"TheComparedTextOnly", 24, "only 24 bytes"},
    {"HeaderOnly", 48, "only 48 bytes"},
    {"CutInsideChannel3", 48 + 0x30 + 5, "only 101 bytes"},
    {"OneByteShort", 4143, "only 4143 bytes"},
    {"Whole", 4144, nullptr},
};

class ShortFile : public DocumentSequences, public testing::WithParamInterface<ShortCase> {};

TEST_P(ShortFile, OpensWithTheRestBlankAndSaysHowMuchItFound) {
  const ShortCase& c = GetParam();
  ASSERT_TRUE(app.Start());
  std::vector<std::uint8_t> bytes = ReadBytes(SaveSample("whole.dig"));
  bytes.resize(c.length);
  const std::string path = dir.WriteBytes("short.dig", bytes);
  EXPECT_TRUE(app.OpenDocumentFile(path));
  std::vector<Seen> expected;
  if (c.warning) expected.push_back({c.warning, "Prompt", PromptIcon::Warning, PromptButtons::Ok});
  EXPECT_EQ(SeenPrompts(prompter), expected);
  EXPECT_EQ(app.document().GetPathName(), path);
  EXPECT_EQ(app.recentFiles().Entries(), std::vector<std::string>{path});
  EXPECT_FALSE(app.doc().IsModified());
  for (std::size_t a = 0; a < 4096; ++a) {
    const std::uint8_t want = 48 + a < c.length ? bytes[48 + a] : 0xFF;
    ASSERT_EQ(app.doc().image()[a], want) << "offset " << a;
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, ShortFile, testing::ValuesIn(kShort),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DocumentSequences, FailedSaveReportsAndStaysModified) {
  ASSERT_TRUE(app.Start());
  app.doc().SetModifiedFlag(true);
  const std::string target = dir.File("no/such/folder/x.dig");
  prompter.ChooseSave(target);
  EXPECT_FALSE(app.OnFileSave());
  const Seen failed{"cannot save\n" + target, "Error", PromptIcon::Error, PromptButtons::Ok};
  EXPECT_EQ(SeenPrompts(prompter), std::vector<Seen>{failed});
  EXPECT_TRUE(app.doc().IsModified());
  EXPECT_EQ(app.document().GetPathName(), "");
}

TEST_F(DocumentSequences, ExitAsksToSaveAndYesSavesWithoutTheSaveQuestion) {
  ASSERT_TRUE(app.Start());
  const std::string path = SaveSample("h.dig");
  ASSERT_TRUE(app.OpenDocumentFile(path));
  EXPECT_TRUE(app.CanExit()) << "an unmodified document closes without a question";
  app.doc().SetFrequencyText(7, Direction::Receive, "155");
  app.doc().SetModifiedFlag(true);

  prompter.Answer(PromptAnswer::Cancel);
  EXPECT_FALSE(app.CanExit());
  prompter.Answer(PromptAnswer::Yes);
  EXPECT_TRUE(app.CanExit());
  EXPECT_EQ(SeenPrompts(prompter), (std::vector<Seen>{kSaveChanges, kSaveChanges}));
  EXPECT_EQ(ReadBytes(path), SerializeDocument(app.doc()));
}

TEST_F(DocumentSequences, RecentFilesKeepFourMostRecentFirst) {
  ASSERT_TRUE(app.Start());
  std::vector<std::string> paths;
  for (int i = 0; i < 6; ++i) paths.push_back(SaveSample("r" + std::to_string(i) + ".dig"));
  for (const auto& p : paths) ASSERT_TRUE(app.OpenDocumentFile(p));
  ASSERT_TRUE(app.OpenDocumentFile(paths[3]));
  EXPECT_EQ(app.recentFiles().Entries(),
            (std::vector<std::string>{paths[3], paths[5], paths[4], paths[2]}));
  ASSERT_TRUE(app.OnOpenRecentFile(2));
  EXPECT_EQ(app.document().GetPathName(), paths[4]);
  EXPECT_FALSE(app.OnOpenRecentFile(4));

  // A recent file that has gone is reported and dropped from the list.
  std::filesystem::remove(paths[5]);
  EXPECT_FALSE(app.OpenDocumentFile(paths[5]));
  const auto entries = app.recentFiles().Entries();
  EXPECT_EQ(std::count(entries.begin(), entries.end(), paths[5]), 0);
}

TEST_F(DocumentSequences, CommandLineFileOpensAtStart) {
  const std::string path = SaveSample("cmd.dig");
  ASSERT_TRUE(app.Start(path));
  EXPECT_TRUE(prompter.prompts.empty());
  EXPECT_EQ(app.document().GetPathName(), path);
  EXPECT_FALSE(app.Start(dir.File("gone.dig")));
}

TEST_F(DocumentSequences, FrequencyRangeChangeBlanksSelectsAndMarksModified) {
  ASSERT_TRUE(app.Start());
  FillDocument();
  app.doc().SetModifiedFlag(false);
  const int before = updates;
  prompter.Answer(PromptAnswer::Ok);
  // The filled document carries model 1's band code; the list's other entry is model 0.
  const EditOutcome outcome = app.document().ApplyEdit(ListEdit{SettingsList::FrequencyRange, 0});
  EXPECT_TRUE(outcome.Applied());
  ASSERT_EQ(prompter.prompts.size(), 1u);
  EXPECT_EQ(prompter.prompts[0].buttons, PromptButtons::OkCancel);
  prompter.prompts.clear();
  EXPECT_TRUE(app.doc().IsChannelEmpty(1));
  EXPECT_EQ(app.doc().GetPttCodeText(PttCode::Start), "");
  EXPECT_EQ(app.doc().GetBandCode(), (BandCode{0x00, 0x40, 0x00, 0x47}));
  EXPECT_EQ(app.doc().bandLow, 40000000);
  EXPECT_TRUE(app.doc().IsModified());
  EXPECT_EQ(updates, before + 1);
  EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(DocumentSequences, RecomputeAndRefreshFollowsTheBandCode) {
  ASSERT_TRUE(app.Start());
  app.doc().SetBandCode({0x60, 0x13, 0x40, 0x17});
  const int before = updates;
  app.document().RecomputeAndRefresh();
  EXPECT_EQ(app.doc().bandHigh, 17400000);
  EXPECT_EQ(updates, before + 1);
  EXPECT_FALSE(app.doc().IsModified());
}

}  // namespace
}  // namespace rondel
