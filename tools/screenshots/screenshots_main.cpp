// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-screenshots: opens the main window, its Edit menu, the port, language, about,
// progress, read-password, compare, backups, test-mode password and test-mode dialogs (the
// latter also while it writes) of the desktop program in English and Chinese and
// saves each as a PNG, for the README. Run by scripts/screenshots.sh under the offscreen
// platform.
//   rondel-screenshots <bin folder with setting.ini and *.lang> <output folder>
//                      [--palette default|dark] [--size <width>x<height>|maximised]
// With --palette or --size only the main window is taken, all sixteen channels in use, as
// <language>-main-<size>-<palette>.png.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPalette>
#include <QProgressBar>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "grid/grid_ctrl.h"
#include "link/qt/test_mode_dlg.h"
#include "link/qt/test_password_dlg.h"
#include "link/qt/transfer_dlg.h"
#include "link/test_mode.h"
#include "platform/dialogs/cdialog.h"
#include "platform/prompt.h"
#include "platform/qt/qt_prompter.h"
#include "shell/language.h"
#include "shell/document/compare_command.h"
#include "shell/qt/about_dlg.h"
#include "shell/qt/backups_dlg.h"
#include "shell/qt/compare_dlg.h"
#include "shell/document/radio_backups.h"
#include "shell/qt/language_dlg.h"
#include "shell/qt/main_frame.h"
#include "shell/qt/port_dlg.h"
#include "shell/qt/rondel_app.h"
#include "shell/document/rondel_document.h"
#include "tools/radiosim/virtual_radio.h"
#include "view/rondel_view.h"

namespace fs = std::filesystem;
using namespace rondel;

namespace {

// Nobody is there to answer: messages are acknowledged, questions declined.
class Acknowledger : public Prompter {
 public:
  PromptAnswer Ask(const PromptRequest& r) override {
    return r.buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
  }
  std::optional<std::string> ChooseFileToOpen(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> ChooseFileToSave(const FileDialogRequest&) override { return {}; }
};

void Settle(int ms = 50) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool Save(QWidget& w, const QString& path) {
  Settle();
  const bool ok = w.grab().save(path);
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", path.toUtf8().constData());
  return ok;
}

// A radio as a dealer sets one up: six channels in use, repeater pairs among them, tones on
// some, the rest of the table empty.
void FillChannels(CRondelDocument& document) {
  struct Channel {
    int n;
    const char* rx;
    const char* tx;
    const char* rxTone;
    const char* txTone;
    int narrow;
  };
  const Channel channels[] = {
      {1, "446.00625", "446.00625", nullptr, "67.0", 0},
      {2, "446.01875", "446.01875", "88.5", "88.5", 1},
      {3, "438.50000", "430.90000", nullptr, "D023N", 0},
      {4, "446.04375", "446.04375", "D754I", "D754I", 1},
      {5, "433.55000", "", nullptr, nullptr, 1},
      {6, "462.56250", "467.56250", "141.3", "141.3", 0},
  };
  for (const Channel& c : channels) {
    document.ApplyEdit(FrequencyEdit{c.n, 1, c.rx});
    document.ApplyEdit(FrequencyEdit{c.n, 3, c.tx});
    if (c.rxTone) document.ApplyEdit(ToneEdit{c.n, 2, std::string(c.rxTone)});
    if (c.txTone) document.ApplyEdit(ToneEdit{c.n, 4, std::string(c.txTone)});
    document.ApplyEdit(OptionEdit{c.n, 6, c.narrow});
  }
  document.SetModifiedFlag(false);
  document.UpdateAllViews();
}

// Every channel of the table in use: repeater pairs, simplex channels, tones of both kinds,
// and one receive-only channel, whose transmit tone cannot be set.
void FillAllChannels(CRondelDocument& document) {
  static const char* const kTones[] = {"67.0", "88.5", "D023N", "D754I", "141.3", "100.0", "D155N", "123.0"};
  for (int n = 1; n <= 16; ++n) {
    // 446.00625 MHz and up in steps of 12.5 kHz, in units of 10 Hz.
    const int step = 44600625 + 1250 * (n - 1);
    char rx[16];
    std::snprintf(rx, sizeof rx, "%d.%05d", step / 100000, step % 100000);
    std::string tx = rx;
    if (n % 4 == 3) tx = n < 8 ? "430.90000" : "431.50000";
    if (n == 5) tx.clear();
    document.ApplyEdit(FrequencyEdit{n, 1, rx});
    document.ApplyEdit(FrequencyEdit{n, 3, tx});
    const char* tone = kTones[(n - 1) % 8];
    if (n % 2 == 0) document.ApplyEdit(ToneEdit{n, 2, std::string(tone)});
    if (!tx.empty()) document.ApplyEdit(ToneEdit{n, 4, std::string(tone)});
    document.ApplyEdit(OptionEdit{n, 6, n % 3 == 0 ? 1 : 0});
    document.ApplyEdit(OptionEdit{n, 7, n % 5 == 0 ? 0 : 1});
  }
  document.SetModifiedFlag(false);
  document.UpdateAllViews();
}

// A dark desktop: every role of its own, so nothing of the light palette shows through.
QPalette DarkPalette() {
  QPalette p;
  const auto all = [&p](QPalette::ColorRole role, const QColor& colour) { p.setColor(role, colour); };
  all(QPalette::Window, QColor(0x2d, 0x2d, 0x30));
  all(QPalette::WindowText, QColor(0xe8, 0xe8, 0xe8));
  all(QPalette::Base, QColor(0x1b, 0x1b, 0x1d));
  all(QPalette::AlternateBase, QColor(0x26, 0x26, 0x29));
  all(QPalette::Text, QColor(0xf0, 0xf0, 0xf0));
  all(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
  all(QPalette::ButtonText, QColor(0xe8, 0xe8, 0xe8));
  all(QPalette::BrightText, QColor(0xff, 0x60, 0x60));
  all(QPalette::Light, QColor(0x58, 0x58, 0x5e));
  all(QPalette::Midlight, QColor(0x48, 0x48, 0x4d));
  all(QPalette::Mid, QColor(0x44, 0x44, 0x49));
  all(QPalette::Dark, QColor(0x22, 0x22, 0x25));
  all(QPalette::Shadow, QColor(0x10, 0x10, 0x10));
  all(QPalette::Highlight, QColor(0x2f, 0x6f, 0xc8));
  all(QPalette::HighlightedText, QColor(0xff, 0xff, 0xff));
  all(QPalette::ToolTipBase, QColor(0x3a, 0x3a, 0x3e));
  all(QPalette::ToolTipText, QColor(0xe8, 0xe8, 0xe8));
  all(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x84));
  return p;
}

struct MainShot {
  QString palette;  // "default" or "dark"
  QSize size;       // empty: maximised
  QString sizeName;
};

// Only the main window, every channel filled, at the size and in the palette asked for.
bool ShootMain(const fs::path& binDir, const fs::path& outDir, const std::string& language, const MainShot& shot) {
  const fs::path dir = fs::temp_directory_path() / ("rondel-main-" + language);
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const auto& e : fs::directory_iterator(binDir)) {
    const auto ext = e.path().extension();
    if (ext == ".lang" || e.path().filename() == "setting.ini") fs::copy_file(e.path(), dir / e.path().filename());
  }
  CSettings((dir / "setting.ini").string()).WriteLanguage(language);
  bool ok = false;
  {
    CRondelApp app(CreateRondelView, dir.string());
    if (app.InitInstance({})) {
      CMainFrame& frame = *app.MainFrame();
      FillAllChannels(app.Document());
      if (shot.size.isEmpty()) {
        frame.showMaximized();
      } else {
        frame.resize(shot.size);
      }
      Settle(150);
      ok = Save(frame, QString::fromStdString((outDir / language).string()) + "-main-" + shot.sizeName + "-" +
                           shot.palette + ".png");
    }
  }
  fs::remove_all(dir);
  return ok;
}

bool Shoot(const fs::path& binDir, const fs::path& outDir, const std::string& language) {
  const fs::path dir = fs::temp_directory_path() / ("rondel-shots-" + language);
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const auto& e : fs::directory_iterator(binDir)) {
    const auto ext = e.path().extension();
    if (ext == ".lang" || ext == ".chm" || e.path().filename() == "setting.ini")
      fs::copy_file(e.path(), dir / e.path().filename());
  }
  sim::VirtualRadio radio;
  sim::RadioOptions paced;
  paced.pace = true;
  sim::VirtualRadio pacedRadio(paced);
  if (!radio.Start() || !pacedRadio.Start()) {
    std::fprintf(stderr, "cannot start the virtual radio\n");
    return false;
  }
  {
    // The radio on COM1, a paced one on COM2 for the progress picture; the rest are absent.
    std::string ini = "\n[ports]\ncom1=" + radio.DevicePath() + "\ncom2=" + pacedRadio.DevicePath() + "\n";
    for (int n = 3; n <= 8; ++n) ini += "com" + std::to_string(n) + "=/dev/rondel-absent" + std::to_string(n) + "\n";
    FILE* f = std::fopen((dir / "setting.ini").c_str(), "a");
    std::fputs(ini.c_str(), f);
    std::fclose(f);
  }
  const fs::path data = dir / "radio.dig";
  sim::SaveMemory(data.string(), sim::FactoryMemory());

  // Chosen the way a user's earlier visit to the language dialog leaves it.
  CSettings((dir / "setting.ini").string()).WriteLanguage(language);
  CRondelApp app(CreateRondelView, dir.string());
  if (!app.InitInstance({data.string()})) return false;
  CMainFrame& frame = *app.MainFrame();
  FillChannels(app.Document());
  bool ok = true;
  const QString prefix = QString::fromStdString((outDir / language).string());
  ok &= Save(frame, prefix + "-main.png");
  {
    // The editors as the user sees them over a cell: a frequency being typed, a tone chosen.
    auto* view = static_cast<CRondelView*>(frame.View());
    QApplication::setActiveWindow(&frame);
    view->Grid()->RequestEdit(3, 3);
    Settle();
    ok &= Save(frame, prefix + "-frequency-editor.png");
    view->Grid()->setFocus();
    view->Grid()->RequestEdit(6, 2);
    Settle();
    ok &= Save(frame, prefix + "-tone-editor.png");
    view->Grid()->setFocus();
    Settle();
    app.Document().SetModifiedFlag(false);
  }
  {
    // The Edit menu open over the window, after a change the user may take back.
    app.Document().ApplyEdit(FrequencyEdit{7, 1, "446.09375"});
    QMenuBar* bar = frame.menuBar();
    QAction* edit = bar->actions().value(1);
    bar->setActiveAction(edit);
    Settle(100);
    QPixmap shot = frame.grab();
    if (QMenu* menu = edit != nullptr ? edit->menu() : nullptr; menu != nullptr && menu->isVisible()) {
      QPainter painter(&shot);
      painter.drawPixmap(frame.mapFromGlobal(menu->mapToGlobal(QPoint(0, 0))), menu->grab());
      menu->hide();
    }
    const QString path = prefix + "-edit-menu.png";
    const bool saved = shot.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", path.toUtf8().constData());
    ok &= saved;
    app.Document().Undo();
  }
  {
    // What a read asks when the radio's read password is not the form's.
    SecretRequest request;
    request.text = GetLangString("IDS_READPW_ASK");
    request.caption = GetLangString("IDS_READPW_TITLE");
    request.maxLength = 6;
    CSecretDialog dlg(request, [](std::string_view key) { return GetLangString(key); }, &frame);
    dlg.show();
    dlg.Field()->setText(QStringLiteral("Ab12"));
    ok &= Save(dlg, prefix + "-read-password.png");
  }

  {
    CPortDlg dlg(app, &frame);
    dlg.OnInitDialog();
    dlg.show();
    ok &= Save(dlg, prefix + "-port.png");
  }
  {
    CLanguageDlg dlg(app, &frame);
    dlg.OnInitDialog();
    dlg.show();
    ok &= Save(dlg, prefix + "-language.png");
  }
  {
    CAboutDlg dlg(&frame);
    dlg.OnInitDialog();
    dlg.show();
    ok &= Save(dlg, prefix + "-about.png");
  }
  {
    // The form's channels against the radio's file they were typed over.
    if (const auto comparison = CompareWithFile(app.Document().Doc(), data.string(), app.Settings())) {
      CCompareDlg dlg(*comparison, &frame);
      dlg.show();
      ok &= Save(dlg, prefix + "-compare.png");
    } else {
      ok = false;
    }
  }
  {
    // Three radios read on one afternoon: the form's, the radio's file, a VHF one.
    const std::string folder = (dir / "backups").string();
    CRondelDoc vhf;
    vhf.Blank();
    vhf.SelectModel(1, app.Settings());
    vhf.SetFrequencyText(1, Direction::Receive, "145.50000");
    CRondelDoc radioFile;
    LoadDataFile(radioFile, data.string(), app.Settings());
    const auto at = [](int minutes) {
      return BackupClock::time_point(std::chrono::seconds(1796830200 + 60 * minutes));
    };
    bool kept = StoreRadioBackup(radioFile, app.Settings(), at(0), folder).ok();
    kept &= StoreRadioBackup(vhf, app.Settings(), at(17), folder).ok();
    kept &= StoreRadioBackup(app.Document().Doc(), app.Settings(), at(42), folder).ok();
    CBackupsDlg dlg(ListRadioBackups(app.Settings(), folder), &frame);
    dlg.show();
    ok &= kept && Save(dlg, prefix + "-backups.png");
  }
  {
    app.Settings().WriteCom(2);
    CTransferDlg dlg(app.m_serialPort, app.Settings(), frame, &frame);
    dlg.SetDirection(TransferDirection::Read);
    dlg.OnInitDialog();
    dlg.show();
    dlg.Item<QAbstractButton>(IDOK)->click();
    QElapsedTimer t;
    t.start();
    while (dlg.ProgressBar()->value() < 400 && t.elapsed() < 20000) Settle(20);
    ok &= Save(dlg, prefix + "-progress.png");
    dlg.Item<QAbstractButton>(IDCANCEL)->click();
    app.Settings().WriteCom(1);
  }
  {
    CTestPasswordDlg dlg(app.m_serialPort, app.Settings(), frame, &frame);
    dlg.OnInitDialog();
    dlg.show();
    dlg.PasswordEdit()->setText(QStringLiteral("Calib#7"));
    ok &= Save(dlg, prefix + "-testpassword.png");
  }
  {
    // The test mode as its entry leaves it: the radio's memory read, its calibration shown.
    sim::Memory memory = sim::FactoryMemory();
    const std::uint8_t calibration[8] = {96, 118, 135, 172, 190, 214, 0, 0xFF};
    std::copy(std::begin(calibration), std::end(calibration), memory.begin() + 0x3F0);
    radio.SetMemory(memory);
    RadioImage image = app.Document().Doc().image();
    if (EnterTestMode(app.m_serialPort, app.Settings(), image) != TestModeResult::Done) {
      std::fprintf(stderr, "the test mode's entry read failed\n");
      ok = false;
    }
    app.Document().ReplaceImage(image);
    CTestModeDlg dlg(app.m_serialPort, app.Settings(), frame, &frame);
    dlg.OnInitDialog();
    dlg.show();
    ok &= Save(dlg, prefix + "-testmode.png");
    app.m_serialPort.Close();
    // Write all to the paced radio, caught about halfway with its line of progress.
    app.Settings().WriteCom(2);
    pacedRadio.SetMemory(memory);
    dlg.Item<QAbstractButton>(kWriteAllButton)->click();
    const auto halfway = [&dlg] {
      const QString line = dlg.ProgressLine();
      if (!line.endsWith(QStringLiteral(" / 128"))) return false;
      const QStringList words = line.split(QLatin1Char(' '));
      return words.size() >= 3 && words[words.size() - 3].toInt() >= 57;
    };
    QElapsedTimer t;
    t.start();
    while (!halfway() && dlg.ExchangeRunning() && t.elapsed() < 30000)
      QApplication::processEvents(QEventLoop::AllEvents, 1);
    const QString writing = prefix + "-testmode-writing.png";
    const bool shot = dlg.ExchangeRunning() && dlg.grab().save(writing);
    std::printf("%s %s\n", shot ? "wrote" : "FAILED", writing.toUtf8().constData());
    ok &= shot;
    while (dlg.ExchangeRunning() && t.elapsed() < 60000) Settle(20);
    app.m_serialPort.Close();
    app.Settings().WriteCom(1);
  }
  fs::remove_all(dir);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qtApp(argc, argv);
  const QStringList args = QApplication::arguments();
  std::optional<MainShot> mainShot;
  bool usage = args.size() < 3 || args.size() % 2 == 0;
  for (int i = 3; !usage && i + 1 < args.size(); i += 2) {
    if (!mainShot) mainShot = MainShot{QStringLiteral("default"), QSize(1024, 768), QStringLiteral("1024x768")};
    const QString& value = args[i + 1];
    if (args[i] == QLatin1String("--palette") && (value == QLatin1String("default") || value == QLatin1String("dark"))) {
      mainShot->palette = value;
    } else if (args[i] == QLatin1String("--size") && value == QLatin1String("maximised")) {
      mainShot->size = QSize();
      mainShot->sizeName = value;
    } else if (args[i] == QLatin1String("--size") && value.split(QLatin1Char('x')).size() == 2) {
      const QStringList wh = value.split(QLatin1Char('x'));
      mainShot->size = QSize(wh[0].toInt(), wh[1].toInt());
      mainShot->sizeName = value;
      usage = mainShot->size.isEmpty();
    } else {
      usage = true;
    }
  }
  if (usage) {
    std::fprintf(stderr, "usage: rondel-screenshots <bin folder> <output folder> [--palette default|dark] "
                         "[--size <width>x<height>|maximised]\n");
    return 64;
  }
  Acknowledger answers;
  SetPrompter(&answers);
  const fs::path outDir = argv[2];
  fs::create_directories(outDir);
  bool ok = true;
  if (mainShot && mainShot->palette == QLatin1String("dark")) QApplication::setPalette(DarkPalette());
  for (const char* language : {"english", "chinese"})
    ok &= mainShot ? ShootMain(argv[1], outDir, language, *mainShot) : Shoot(argv[1], outDir, language);
  SetPrompter(nullptr);
  return ok ? 0 : 1;
}
