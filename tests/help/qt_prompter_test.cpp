// The Qt prompter: message boxes with the caption, text, icon and buttons asked for, the answer
// of every button, of Escape, Enter and the close box, button texts from the language file,
// and the open and save dialogs with the data-file filter. The boxes are answered by a timer
// (modal_answerer.h), the one place in the tests where that is done.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QTextLayout>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QFileSystemModel>
#include <QTest>

#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "help/modal_answerer.h"
#include "platform/qt/qt_prompter.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

using test::ModalAnswerer;

// Runs the prompter's question with `answer` acting on the box; the box's state is read
// inside `answer`, while it is still open.
PromptAnswer AskAndAnswer(CQtPrompter& prompter, const PromptRequest& request,
                          const std::function<void(QMessageBox*)>& answer) {
  ModalAnswerer answerer([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    if (!box) {
      ADD_FAILURE() << "the modal window is not a message box";
      w->close();
      return;
    }
    answer(box);
  });
  const PromptAnswer result = prompter.Ask(request);
  EXPECT_TRUE(answerer.Answered());
  return result;
}

const char* Name(PromptAnswer a) {
  switch (a) {
    case PromptAnswer::Ok: return "Ok";
    case PromptAnswer::Cancel: return "Cancel";
    case PromptAnswer::Yes: return "Yes";
    case PromptAnswer::No: return "No";
  }
  return "?";
}

struct ClickCase {
  PromptButtons buttons;
  QMessageBox::StandardButtons shown;
  QMessageBox::StandardButton clicked;
  PromptAnswer answer;
};
void PrintTo(const ClickCase& c, std::ostream* os) {
  const char* buttons = c.buttons == PromptButtons::Ok ? "Ok" : c.buttons == PromptButtons::OkCancel ? "OkCancel" : "YesNoCancel";
  *os << buttons << " clicked " << Name(c.answer);
}

class PrompterButton : public testing::TestWithParam<ClickCase> {};

TEST_P(PrompterButton, ShowsTheButtonsAskedForAndAnswersTheOneClicked) {
  CQtPrompter prompter;
  const ClickCase& c = GetParam();
  QMessageBox::StandardButtons shown;
  const PromptAnswer answer = AskAndAnswer(prompter, {"text", "caption", PromptIcon::Warning, c.buttons},
                                           [&](QMessageBox* box) {
                                             shown = box->standardButtons();
                                             QAbstractButton* button = box->button(c.clicked);
                                             ASSERT_NE(button, nullptr);
                                             QTest::mouseClick(button, Qt::LeftButton);
                                           });
  EXPECT_EQ(shown, c.shown);
  EXPECT_EQ(answer, c.answer) << Name(answer);
}

INSTANTIATE_TEST_SUITE_P(
    Every, PrompterButton,
    testing::Values(
        ClickCase{PromptButtons::Ok, QMessageBox::Ok, QMessageBox::Ok, PromptAnswer::Ok},
        ClickCase{PromptButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, PromptAnswer::Ok},
        ClickCase{PromptButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel,
                  PromptAnswer::Cancel},
        ClickCase{PromptButtons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                  QMessageBox::Yes, PromptAnswer::Yes},
        ClickCase{PromptButtons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                  QMessageBox::No, PromptAnswer::No},
        ClickCase{PromptButtons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                  QMessageBox::Cancel, PromptAnswer::Cancel}));

struct KeyCase {
  PromptButtons buttons;
  PromptAnswer onEscape;
  PromptAnswer onEnter;
};

TEST(QtPrompter, EscapeAndTheCloseBoxCancelWhereTheyCanAndEnterTakesTheDefault) {
  const KeyCase cases[] = {{PromptButtons::Ok, PromptAnswer::Ok, PromptAnswer::Ok},
                           {PromptButtons::OkCancel, PromptAnswer::Cancel, PromptAnswer::Ok},
                           {PromptButtons::YesNoCancel, PromptAnswer::Cancel, PromptAnswer::Yes}};
  CQtPrompter prompter;
  for (const KeyCase& c : cases) {
    const PromptRequest request{"text", "caption", PromptIcon::None, c.buttons};
    EXPECT_EQ(AskAndAnswer(prompter, request, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }),
              c.onEscape);
    EXPECT_EQ(AskAndAnswer(prompter, request, [](QMessageBox* box) { box->close(); }), c.onEscape);
    EXPECT_EQ(AskAndAnswer(prompter, request, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }),
              c.onEnter);
  }
}

TEST(QtPrompter, ShowsCaptionTextAndIconAsAsked) {
  const std::pair<PromptIcon, QMessageBox::Icon> icons[] = {{PromptIcon::Error, QMessageBox::Critical},
                                                            {PromptIcon::Warning, QMessageBox::Warning},
                                                            {PromptIcon::Stop, QMessageBox::Critical},
                                                            {PromptIcon::Information, QMessageBox::Information},
                                                            {PromptIcon::None, QMessageBox::NoIcon}};
  CQtPrompter prompter;
  for (const auto& [icon, expected] : icons) {
    QMessageBox::Icon shown = QMessageBox::NoIcon;
    QString title, text;
    Qt::TextFormat format = Qt::AutoText;
    AskAndAnswer(prompter, {"对讲机无应答。\n<b>/dev/ttyUSB0</b>", "错误", icon, PromptButtons::Ok},
                 [&](QMessageBox* box) {
                   shown = box->icon();
                   title = box->windowTitle();
                   text = box->text();
                   format = box->textFormat();
                   box->accept();
                 });
    EXPECT_EQ(shown, expected) << int(icon);
    EXPECT_EQ(title, QStringLiteral("错误"));
    // Word joiners keep the path on one line; they are all the box adds.
    EXPECT_EQ(text.remove(QChar(0x2060)), QStringLiteral("对讲机无应答。\n<b>/dev/ttyUSB0</b>"));
    EXPECT_EQ(format, Qt::PlainText);  // a path or a typed text is never read as markup
  }
}

TEST(QtPrompter, ButtonTextsComeFromTheLanguageFileWhereItHasThem) {
  std::vector<std::string> asked;
  const std::map<std::string, std::string> texts = {{"IDS_BUTTON_YES", "是(&Y)"},
                                                    {"IDS_BUTTON_NO", "否(&N)"},
                                                    {"IDS_BUTTON_CANCEL", "Not Found"},
                                                    {"IDS_BUTTON_OK", "确定"}};
  CQtPrompter prompter(nullptr, [&](std::string_view key) {
    asked.emplace_back(key);
    auto it = texts.find(std::string(key));
    return it == texts.end() ? std::string("Not Found") : it->second;
  });
  std::map<QMessageBox::StandardButton, QString> shown;
  AskAndAnswer(prompter, {"Save?", "Rondel", PromptIcon::Warning, PromptButtons::YesNoCancel}, [&](QMessageBox* box) {
    for (auto b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}) shown[b] = box->button(b)->text();
    box->reject();
  });
  EXPECT_EQ(shown[QMessageBox::Yes], QStringLiteral("是(&Y)"));
  EXPECT_EQ(shown[QMessageBox::No], QStringLiteral("否(&N)"));
  // "Not Found" means the file has no text: Qt's own stays.
  EXPECT_FALSE(shown[QMessageBox::Cancel].isEmpty());
  EXPECT_NE(shown[QMessageBox::Cancel], QStringLiteral("Not Found"));
  // Only the buttons shown are looked up.
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "IDS_BUTTON_OK"), 0);

  QString okText;
  AskAndAnswer(prompter, {"Done", "Rondel", PromptIcon::None, PromptButtons::Ok}, [&](QMessageBox* box) {
    okText = box->button(QMessageBox::Ok)->text();
    box->accept();
  });
  EXPECT_EQ(okText, QStringLiteral("确定"));
}

TEST(QtPrompter, BoxesBelongToTheParentWindowGivenLast) {
  auto first = std::make_unique<QWidget>();
  QWidget second;
  CQtPrompter prompter(first.get());
  EXPECT_EQ(prompter.Parent(), first.get());
  QWidget* parent = nullptr;
  const PromptRequest request{"text", "caption", PromptIcon::None, PromptButtons::Ok};
  AskAndAnswer(prompter, request, [&](QMessageBox* box) {
    parent = box->parentWidget();
    box->accept();
  });
  EXPECT_EQ(parent, first.get());

  prompter.SetParent(&second);
  AskAndAnswer(prompter, request, [&](QMessageBox* box) {
    parent = box->parentWidget();
    box->accept();
  });
  EXPECT_EQ(parent, &second);

  // A parent that has gone leaves boxes without one, not with a dangling pointer.
  prompter.SetParent(first.get());
  first.reset();
  EXPECT_EQ(prompter.Parent(), nullptr);
  AskAndAnswer(prompter, request, [&](QMessageBox* box) {
    parent = box->parentWidget();
    box->accept();
  });
  EXPECT_EQ(parent, nullptr);
}

// ---- file dialogs ----

TEST(FileDialogFilter, NamesThePatternTheWayQtReadsIt) {
  // How the dialog itself reads the result is checked with the dialog below.
  struct Case {
    const char* name;
    const char* extension;
    const char* filter;
  };
  const Case cases[] = {
      {"Radio Program Data Files(*.dig)", ".dig", "Radio Program Data Files(*.dig) (*.dig)"},
      {"Data", "dig", "Data (*.dig)"},
      {"  Two   words ", ".x", "Two words (*.x)"},
      {"", ".dig", "*.dig (*.dig)"},
      {"All files", "", "All files (*)"},
  };
  for (const Case& c : cases) EXPECT_EQ(FileDialogFilter(c.name, c.extension), QString::fromUtf8(c.filter));
}

// What the dialog's Open or Save button does (QFileDialog::accept is protected; QDialog's is
// the same virtual).
void Accept(QFileDialog* d) { static_cast<QDialog*>(d)->accept(); }

// The user's way: type the name into the name field, then Open or Save. (selectFile leaves the
// field alone once it has the focus.)
void TypeNameAndAccept(QFileDialog* d, const QString& name) {
  auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(edit, nullptr);
  edit->setText(name);
  Accept(d);
}

const FileDialogRequest kDigRequest{"Radio Program Data Files(*.dig)", ".dig", ""};

struct DialogState {
  QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
  QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
  QStringList nameFilters;
  QStringList patterns;  // what the dialog's file list filters by
  QString visibleFilter;
  bool hidesFilterDetails = false;
  QString defaultSuffix;
  QString directory;
  QString fileName;
};

DialogState StateOf(QFileDialog* dialog) {
  DialogState s;
  s.acceptMode = dialog->acceptMode();
  s.fileMode = dialog->fileMode();
  s.nameFilters = dialog->nameFilters();
  s.hidesFilterDetails = dialog->testOption(QFileDialog::HideNameFilterDetails);
  s.defaultSuffix = dialog->defaultSuffix();
  s.directory = dialog->directory().absolutePath();
  if (auto* model = dialog->findChild<QFileSystemModel*>()) s.patterns = model->nameFilters();
  if (auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) s.visibleFilter = combo->currentText();
  if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) s.fileName = edit->text();
  return s;
}

// Runs a file dialog of the prompter; `answer` sees the dialog (its state is recorded first).
std::optional<std::string> ChooseFile(CQtPrompter& prompter, const FileDialogRequest& request, bool save,
                                      DialogState& state, const std::function<void(QFileDialog*)>& answer) {
  ModalAnswerer answerer([&](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    if (!dialog) {
      ADD_FAILURE() << "the modal window is not a file dialog";
      w->close();
      return;
    }
    state = StateOf(dialog);
    answer(dialog);
  });
  auto result = save ? prompter.ChooseFileToSave(request) : prompter.ChooseFileToOpen(request);
  EXPECT_TRUE(answerer.Answered());
  return result;
}

TEST(QtPrompterFiles, OpenOffersDataFilesInTheProposedFolderAndReturnsTheChoice) {
  test::TempDir dir;
  const std::string file = dir.Write("radio.dig", std::string(4144, '\xFF'));
  CQtPrompter prompter;
  FileDialogRequest request = kDigRequest;
  request.proposedPath = dir.path();
  DialogState state;
  const auto chosen = ChooseFile(prompter, request, false, state, [&](QFileDialog* d) {
    TypeNameAndAccept(d, QString::fromStdString(file));
  });
  EXPECT_EQ(chosen, file);
  EXPECT_EQ(state.acceptMode, QFileDialog::AcceptOpen);
  EXPECT_EQ(state.fileMode, QFileDialog::ExistingFile);
  // The data files first, and all files besides (Qt's "*" where the language file has no text).
  EXPECT_EQ(state.nameFilters, (QStringList{QStringLiteral("Radio Program Data Files(*.dig) (*.dig)"),
                                            QStringLiteral("* (*)")}));
  EXPECT_EQ(state.patterns, QStringList{QStringLiteral("*.dig")});
  EXPECT_TRUE(state.hidesFilterDetails);
  EXPECT_EQ(state.visibleFilter, QStringLiteral("Radio Program Data Files(*.dig)"));
  EXPECT_EQ(state.directory, QString::fromStdString(dir.path()));
}

TEST(QtPrompterFiles, AllFilesIsOfferedInTheWordsOfTheLanguageFile) {
  test::TempDir dir;
  const std::string file = dir.Write("radio.bak", "anything");
  CQtPrompter prompter(nullptr, [](std::string_view key) {
    return key == "IDS_FILTER_ALL" ? std::string("所有文件 (*)") : std::string("Not Found");
  });
  FileDialogRequest request = kDigRequest;
  request.proposedPath = dir.path() + "/";
  DialogState state;
  QStringList patterns;
  const auto chosen = ChooseFile(prompter, request, false, state, [&](QFileDialog* d) {
    d->selectNameFilter(d->nameFilters().at(1));
    if (auto* model = d->findChild<QFileSystemModel*>()) patterns = model->nameFilters();
    TypeNameAndAccept(d, QString::fromStdString(file));
  });
  EXPECT_EQ(chosen, file) << "a file of any name can be chosen";
  EXPECT_EQ(state.nameFilters.at(1), QStringLiteral("所有文件 (*) (*)"));
  EXPECT_EQ(patterns, QStringList{QStringLiteral("*")});
  EXPECT_EQ(state.directory, QString::fromStdString(dir.path())) << "the folder it was asked to start in";
}

// A path in a message box stays whole however narrow the box: a path broken after a "/"
// cannot be read back or copied from the screen.
TEST(QtPrompter, APathIsNeverBrokenAcrossLines) {
  const std::string path = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
  CQtPrompter prompter;
  QString shownText;
  int labelWidth = 0;
  int pathWidth = 0;
  AskAndAnswer(prompter, {"The radio does not answer.\n\nPort tried: COM2 (" + path + ")", "Error",
                          PromptIcon::Error, PromptButtons::Ok},
               [&](QMessageBox* box) {
                 auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                 if (label) {
                   shownText = label->text();
                   labelWidth = label->width();
                   pathWidth = label->fontMetrics().horizontalAdvance(QString::fromStdString(path));
                 }
                 box->accept();
               });
  ASSERT_FALSE(shownText.isEmpty());
  EXPECT_GE(labelWidth, pathWidth) << "the box grows to hold the path on one line";
  // Every place inside the path where a line could break is joined; the words outside are not.
  QTextLayout layout(shownText, QApplication::font());
  QTextOption option;
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  QStringList lines;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(60);
    lines << shownText.mid(line.textStart(), line.textLength()).remove(QChar(0x2060)).trimmed();
  }
  layout.endLayout();
  EXPECT_TRUE(lines.contains(QStringLiteral("(") + QString::fromStdString(path) + QStringLiteral(")")))
      << lines.join(QStringLiteral(" | ")).toStdString();
  EXPECT_FALSE(lines.contains(QStringLiteral("The radio does not answer.")))
      << "text without a path still wraps: " << lines.join(QStringLiteral(" | ")).toStdString();
}

TEST(QtPrompter, CopyingTheMessageGivesItsTextWithoutJoiners) {
  CQtPrompter prompter;
  QApplication::clipboard()->clear();
  AskAndAnswer(prompter, {"Cannot open:\n/tmp/a-b/c.dig", "Error", PromptIcon::Error, PromptButtons::Ok},
               [&](QMessageBox* box) {
                 QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
                 box->accept();
               });
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Cannot open:\n/tmp/a-b/c.dig"));
}

TEST(QtPrompter, KeepPathsWholeJoinsOnlyWordsWithASlash) {
  const struct {
    QString in;
    QString out;
  } cases[] = {
      {QStringLiteral("no path here"), QStringLiteral("no path here")},
      {QStringLiteral("a/b c"), QStringLiteral("a\u2060/\u2060b c")},
      {QStringLiteral("x\n/d-e"), QStringLiteral("x\n/\u2060d\u2060-\u2060e")},
      // A character outside the basic plane is one character: never split between its halves.
      {QStringLiteral("/\U0001F4FB"), QStringLiteral("/\u2060\U0001F4FB")},
      {QString(), QString()},
  };
  for (const auto& c : cases) EXPECT_EQ(KeepPathsWhole(c.in), c.out) << c.in.toStdString();
}

TEST(QtPrompterFiles, CancelChoosesNothing) {
  CQtPrompter prompter;
  DialogState state;
  EXPECT_EQ(ChooseFile(prompter, kDigRequest, false, state, [](QFileDialog* d) { d->reject(); }), std::nullopt);
  EXPECT_EQ(ChooseFile(prompter, kDigRequest, true, state, [](QFileDialog* d) { d->reject(); }), std::nullopt);
}

TEST(QtPrompterFiles, SaveProposesTheNameAndAddsTheExtension) {
  test::TempDir dir;
  const std::string folder = dir.path() + "/数据";
  std::filesystem::create_directories(folder);
  CQtPrompter prompter;
  FileDialogRequest request = kDigRequest;
  request.proposedPath = folder + "/Item";
  DialogState state;
  const auto chosen = ChooseFile(prompter, request, true, state, [](QFileDialog* d) {
    TypeNameAndAccept(d, QStringLiteral("radio"));
  });
  EXPECT_EQ(chosen, folder + "/radio.dig");
  EXPECT_EQ(state.acceptMode, QFileDialog::AcceptSave);
  EXPECT_EQ(state.defaultSuffix, QStringLiteral("dig"));
  EXPECT_EQ(state.directory, QString::fromStdString(folder));
  EXPECT_EQ(state.fileName, QStringLiteral("Item"));
  EXPECT_EQ(state.visibleFilter, QStringLiteral("Radio Program Data Files(*.dig)"));

  // A name with an extension of its own keeps it.
  const auto kept = ChooseFile(prompter, request, true, state, [](QFileDialog* d) {
    TypeNameAndAccept(d, QStringLiteral("copy.bak"));
  });
  EXPECT_EQ(kept, folder + "/copy.bak");
}

TEST(QtPrompterFiles, ABareNameIsOfferedInTheFolderUsedLast) {
  test::TempDir dir;
  CQtPrompter prompter;
  FileDialogRequest request = kDigRequest;
  request.proposedPath = dir.path() + "/first";
  DialogState state;
  ASSERT_EQ(ChooseFile(prompter, request, true, state,
                       [](QFileDialog* d) {
                         TypeNameAndAccept(d, QStringLiteral("first"));
                       }),
            dir.path() + "/first.dig");

  request.proposedPath = "Item";
  ChooseFile(prompter, request, true, state, [](QFileDialog* d) { d->reject(); });
  EXPECT_EQ(state.directory, QString::fromStdString(dir.path()));
  EXPECT_EQ(state.fileName, QStringLiteral("Item"));

  request.proposedPath.clear();
  ChooseFile(prompter, request, false, state, [](QFileDialog* d) { d->reject(); });
  EXPECT_EQ(state.directory, QString::fromStdString(dir.path()));
}

}  // namespace
}  // namespace rondel
