// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt/frame_resources.h"

#include <Qt>

#include "shell/language.h"

namespace rondel {

const std::array<TopMenu, 5>& MainMenu() {
  static const std::array<TopMenu, 5> menu = {{
      {"文件(&F)",
       {{cmd::kFileNew, "新建(&N)\tCtrl+N"},
        {cmd::kFileOpen, "打开(&O)...\tCtrl+O"},
        {cmd::kFileSave, "保存(&S)\tCtrl+S"},
        {cmd::kFileSaveAs, "另存为(&A)..."},
        {0, nullptr},
        {cmd::kImportChannels, "导入信道(&I)..."},
        {cmd::kExportChannels, "导出信道(&E)..."},
        {cmd::kFileCompare, "比较(&C)..."},
        {cmd::kRadioBackups, "对讲机备份(&B)..."},
        {0, nullptr},
        {cmd::kFilePrint, "打印(&P)...\tCtrl+P"},
        {cmd::kFilePrintPreview, "打印预览(&V)"},
        {cmd::kFilePrintSetup, "打印设置(&R)..."},
        {0, nullptr},
        // The framework's own placeholder, the same in every language: the recent-file
        // entries are never translated.
        {cmd::kFileMru1, "Recent File"},
        {0, nullptr},
        {cmd::kAppExit, "退出(&X)"}}},
      {"编辑(&E)",
       {{cmd::kEditUndo, "撤销(&U)\tCtrl+Z"},
        {cmd::kEditRedo, "重做(&R)\tCtrl+Y"}}},
      {"编程(&P)",
       {{cmd::kReadData, "从对讲机读取数据(&R)"},
        {cmd::kWriteData, "向对讲机写入数据(&W)"},
        {0, nullptr},
        {cmd::kTestMode, "测试模式(&T)"}}},
      {"设置(&S)",
       {{cmd::kSettingPort, "通信端口(&C)"},
        {cmd::kSettingLanguage, "语言(&L)"}}},
      {"帮助(&H)",
       {{cmd::kHelp, "帮助(&H)"},
        {cmd::kAppAbout, "关于 Rondel(&A)..."}}},
  }};
  return menu;
}

const std::array<const char*, 5> kTopMenuKeys = {"Menu_File", "Menu_Edit", "Menu_Program",
                                                 "Menu_Setting", "Menu_Help"};

const std::array<MenuTextKey, 21> kMenuTextKeys = {{
    {"Menu_File_New", cmd::kFileNew},
    {"Menu_File_Open", cmd::kFileOpen},
    {"Menu_File_Save", cmd::kFileSave},
    {"Menu_File_Save_As", cmd::kFileSaveAs},
    {"Menu_File_ImportChannels", cmd::kImportChannels},
    {"Menu_File_ExportChannels", cmd::kExportChannels},
    {"Menu_File_Compare", cmd::kFileCompare},
    {"Menu_File_RadioBackups", cmd::kRadioBackups},
    {"Menu_File_Print", cmd::kFilePrint},
    {"Menu_File_Print_Preview", cmd::kFilePrintPreview},
    {"Menu_File_Print_Setup", cmd::kFilePrintSetup},
    {"Menu_App_Exit", cmd::kAppExit},
    {"Menu_Edit_Undo", cmd::kEditUndo},
    {"Menu_Edit_Redo", cmd::kEditRedo},
    {"Menu_Program_ReadData", cmd::kReadData},
    {"Menu_Program_WriteData", cmd::kWriteData},
    {"Menu_Program_TestMode", cmd::kTestMode},
    {"Menu_Setting_Port", cmd::kSettingPort},
    {"Menu_Setting_Language", cmd::kSettingLanguage},
    {"Menu_Help_Help", cmd::kHelp},
    {"Menu_App_About", cmd::kAppAbout},
}};

const std::array<int, 13> kToolbarButtons = {
    cmd::kFileNew, cmd::kFileOpen,  cmd::kFileSave, 0, cmd::kEditUndo, cmd::kEditRedo, 0,
    cmd::kReadData, cmd::kWriteData, 0, cmd::kFilePrint, 0, cmd::kHelp};

int ToolbarImageOf(int command) {
  // The strip keeps its first seven images where they always were; Undo and Redo follow.
  static constexpr std::array<int, 9> kStripOrder = {
      cmd::kFileNew,  cmd::kFileOpen,  cmd::kFileSave, cmd::kReadData, cmd::kWriteData,
      cmd::kFilePrint, cmd::kHelp,     cmd::kEditUndo, cmd::kEditRedo};
  for (std::size_t i = 0; i < kStripOrder.size(); ++i)
    if (kStripOrder[i] == command) return static_cast<int>(i);
  return -1;
}

const std::array<Accelerator, kAcceleratorCount> kAccelerators = {{
    {Qt::Key_C, true, false, false, cmd::kSettingPort},
    {Qt::Key_L, true, false, false, cmd::kSettingLanguage},
    {Qt::Key_N, true, false, false, cmd::kFileNew},
    {Qt::Key_O, true, false, false, cmd::kFileOpen},
    {Qt::Key_P, true, false, false, cmd::kFilePrint},
    {Qt::Key_R, true, false, false, cmd::kReadData},
    {Qt::Key_S, true, false, false, cmd::kFileSave},
    {Qt::Key_T, true, false, false, cmd::kTestMode},
    {Qt::Key_V, true, false, false, cmd::kEditPaste},
    {Qt::Key_Backspace, false, false, true, cmd::kEditUndo},
    {Qt::Key_Delete, false, true, false, cmd::kEditCut},
    {Qt::Key_F6, false, false, false, cmd::kNextPane},
    {Qt::Key_F6, false, true, false, cmd::kPrevPane},
    {Qt::Key_Insert, true, false, false, cmd::kEditCopy},
    {Qt::Key_Insert, false, true, false, cmd::kEditPaste},
    {Qt::Key_W, true, false, false, cmd::kWriteData},
    {Qt::Key_X, true, false, false, cmd::kEditCut},
    {Qt::Key_Z, true, false, false, cmd::kEditUndo},
    // What a Linux desktop user reaches for first; the keys above keep their meaning.
    {Qt::Key_F1, false, false, false, cmd::kHelp},
    {Qt::Key_Q, true, false, false, cmd::kAppExit},
    {Qt::Key_Y, true, false, false, cmd::kEditRedo},
    {Qt::Key_Z, true, true, false, cmd::kEditRedo},
}};

int AcceleratorCommand(int key, bool ctrl, bool shift, bool alt) {
  for (const Accelerator& a : kAccelerators) {
    if (a.key == key && a.ctrl == ctrl && a.shift == shift && a.alt == alt) return a.command;
  }
  return 0;
}

std::string FirstCharacters(std::string_view text, std::size_t count) {
  std::size_t pos = 0;
  for (std::size_t n = 0; n < count && pos < text.size(); ++n) {
    ++pos;
    // Continuation bytes belong to the character begun before them.
    while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
  }
  return std::string(text.substr(0, pos));
}

std::string ToolTipText(int id) {
  if (id == 0) return {};
  return FirstCharacters(GetLangString("IDS_TIP_" + std::to_string(id)), kToolTipMaxChars);
}

std::string HelpFilePath(const std::string& langPath) {
  const std::size_t slash = langPath.rfind('/');
  const std::size_t dot = langPath.rfind('.');
  // A dot in a folder name is not the file's extension.
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? langPath.substr(0, dot) : langPath) + ".chm";
}

std::string PortPaneText(int port) { return "COM" + std::to_string(port); }

}  // namespace rondel
