// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's resources as data: the command numbers, the menu with its built-in
// Chinese texts, the language keys that rename it, the toolbar's buttons, the accelerator
// table and the tool-tip texts.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rondel {

namespace cmd {
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFilePrintSetup = 57606;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFilePrintPreview = 57609;
inline constexpr int kFileMru1 = 57616;  // the recent files: 57616 to 57619
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditCut = 57635;
inline constexpr int kEditPaste = 57637;
inline constexpr int kEditUndo = 57643;
inline constexpr int kEditRedo = 57644;
inline constexpr int kAppAbout = 57664;
inline constexpr int kAppExit = 57665;
inline constexpr int kNextPane = 57680;
inline constexpr int kPrevPane = 57681;
inline constexpr int kReadData = 32771;
inline constexpr int kWriteData = 32772;
inline constexpr int kSettingPort = 32773;
inline constexpr int kSettingLanguage = 32774;
inline constexpr int kHelp = 32775;
inline constexpr int kTestMode = 32779;
inline constexpr int kImportChannels = 32780;
inline constexpr int kExportChannels = 32781;
inline constexpr int kFileCompare = 32782;
inline constexpr int kRadioBackups = 32783;
}  // namespace cmd

inline constexpr std::size_t kRecentFileCount = 4;

// One entry of a drop-down menu; command 0 is a separator, kFileMru1 stands for the recent
// files (its text is the placeholder shown, disabled, while the list is empty).
struct MenuEntry {
  int command;
  const char* text;
};
struct TopMenu {
  const char* text;
  std::vector<MenuEntry> entries;
};
const std::array<TopMenu, 5>& MainMenu();

// The language keys of the four top-level entries, by position.
extern const std::array<const char*, 5> kTopMenuKeys;
// The language keys of the entries, by command number, in the order they are renamed.
struct MenuTextKey {
  const char* key;
  int command;
};
extern const std::array<MenuTextKey, 21> kMenuTextKeys;

// The toolbar from left to right; 0 is a separator.
extern const std::array<int, 13> kToolbarButtons;
// The image of a toolbar command in the toolbar strip (see platform/qt/icons.h); -1 else.
int ToolbarImageOf(int command);

// The accelerator table in table order. `key` is a Qt::Key; the modifiers must match exactly.
struct Accelerator {
  int key;
  bool ctrl;
  bool shift;
  bool alt;
  int command;
};
inline constexpr std::size_t kAcceleratorCount = 22;
extern const std::array<Accelerator, kAcceleratorCount> kAccelerators;
// The command of the first entry that matches; 0 when none does.
int AcceleratorCommand(int key, bool ctrl, bool shift, bool alt);

// The tool-tip request's text field holds 20 characters with the closing zero.
inline constexpr std::size_t kToolTipMaxChars = 19;
// The first `count` characters of UTF-8 `text`, never cutting inside a character.
std::string FirstCharacters(std::string_view text, std::size_t count);
// "IDS_TIP_<id>" of the current language cut to 19 characters; empty for id 0.
std::string ToolTipText(int id);

// The help file of a language file: its path up to the last "." of the file name, + ".chm".
std::string HelpFilePath(const std::string& langPath);

// "COM<n>", and the text whose width the port pane keeps.
std::string PortPaneText(int port);
inline constexpr const char* kPortPaneTemplate = "COMX";

}  // namespace rondel
