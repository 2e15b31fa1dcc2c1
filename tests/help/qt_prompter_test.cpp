// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt prompter's own glue: which buttons a request shows and what each answers, the button
// texts from the language file, plain-text messages with paths kept whole, and the file
// dialogs' filters, starting folder and added extension. The box itself is Qt's.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <tuple>

#include "platform/qt/qt_prompter.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

// Hands the next modal window to `answer` once it shows; the answer must close it.
void AnswerNextModal(std::function<void(QWidget*)> answer) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
      timer->stop();  // and goes once this call returns
      timer->deleteLater();
      answer(modal);
    }
  });
  timer->start(5);
}

TEST(QtPrompter, ButtonsAnswersAndTextsOfTheBox) {
  const struct { PromptButtons buttons; QMessageBox::StandardButtons shown; int key; QMessageBox::StandardButton click; PromptAnswer answer; } cases[] = {
      {PromptButtons::Ok, QMessageBox::Ok, Qt::Key_Escape, QMessageBox::NoButton, PromptAnswer::Ok},
      {PromptButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel, Qt::Key_Escape, QMessageBox::NoButton, PromptAnswer::Cancel},
      {PromptButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel, Qt::Key_Return, QMessageBox::NoButton, PromptAnswer::Ok},
      {PromptButtons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, Qt::Key_Return, QMessageBox::NoButton, PromptAnswer::Yes},
      {PromptButtons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, Qt::Key_Escape, QMessageBox::NoButton, PromptAnswer::Cancel},
      {PromptButtons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, 0, QMessageBox::No, PromptAnswer::No},
  };
  CQtPrompter prompter(nullptr, [](std::string_view key) {
    return key == "IDS_BUTTON_YES" ? std::string("是(&Y)") : key == "IDS_BUTTON_OK" ? "确定" : "Not Found";
  });
  for (const auto& c : cases) {
    QMessageBox::StandardButtons shown;
    QString yes, ok, text;
    std::tuple<Qt::TextFormat, QMessageBox::Icon> look;
    AnswerNextModal([&](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      shown = box->standardButtons();
      yes = box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes)->text() : QString();
      ok = box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->text() : QString();
      std::tie(text, look) = std::tuple(box->text(), std::tuple(box->textFormat(), box->icon()));
      c.key ? QTest::keyClick(box, Qt::Key(c.key)) : QTest::mouseClick(box->button(c.click), Qt::LeftButton);
    });
    EXPECT_EQ(prompter.Ask({"<b> /d", "Error", PromptIcon::Stop, c.buttons}), c.answer);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(yes, c.buttons == PromptButtons::YesNoCancel ? QStringLiteral("是(&Y)") : QString());
    EXPECT_EQ(ok, c.buttons == PromptButtons::YesNoCancel ? QString() : QStringLiteral("确定"));
    EXPECT_EQ(text, QStringLiteral("<b> /\u2060d"));
    EXPECT_EQ(look, std::tuple(Qt::PlainText, QMessageBox::Critical));
  }
}

TEST(QtPrompter, PathsAreJoinedAndFiltersNamedTheWayQtReadsThem) {
  const struct { QString in, out; } joins[] = {
      {QStringLiteral("no path here"), QStringLiteral("no path here")},
      {QStringLiteral("a/b c"), QStringLiteral("a\u2060/\u2060b c")},
      {QStringLiteral("x\n/d"), QStringLiteral("x\n/\u2060d")},
      {QStringLiteral("/\U0001F4FB"), QStringLiteral("/\u2060\U0001F4FB")},  // never inside a pair
      {QString(), QString()},
  };
  for (const auto& c : joins) EXPECT_EQ(KeepPathsWhole(c.in), c.out) << c.in.toStdString();
  const struct { const char* name; const char* extension; const char* filter; } filters[] = {
      {"Radio Program Data Files(*.dig)", ".dig", "Radio Program Data Files(*.dig) (*.dig)"},
      {"  Two   words ", "x", "Two words (*.x)"}, {"", ".dig", "*.dig (*.dig)"}, {"All", "", "All (*)"},
  };
  for (const auto& c : filters) EXPECT_EQ(FileDialogFilter(c.name, c.extension), QString::fromUtf8(c.filter));
}

TEST(QtPrompter, FileDialogsStartWhereAskedAndSaveAddsTheExtension) {
  test::TempDir dir;
  CQtPrompter prompter(nullptr, [](std::string_view key) { return key == "IDS_FILTER_ALL" ? "所有文件" : "Not Found"; });
  const auto choose = [&](bool save, const std::string& proposed, const QString& typed) {
    AnswerNextModal([&](QWidget* w) {
      auto* d = qobject_cast<QFileDialog*>(w);
      EXPECT_EQ(d->nameFilters(), (QStringList{"Data(*.dig) (*.dig)", "所有文件 (*)"}));
      EXPECT_EQ(d->acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
      EXPECT_EQ(d->directory().absolutePath(), QString::fromStdString(dir.path()));
      if (typed.isEmpty()) return d->reject();
      d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
      static_cast<QDialog*>(d)->accept();
    });
    const FileDialogRequest request{"Data(*.dig)", ".dig", proposed};
    return save ? prompter.ChooseFileToSave(request) : prompter.ChooseFileToOpen(request);
  };
  EXPECT_EQ(choose(true, dir.path() + "/Item", "radio"), dir.path() + "/radio.dig");
  EXPECT_EQ(choose(true, "Item", "copy.bak"), dir.path() + "/copy.bak");  // the folder used last
  const std::string file = dir.Write("a.dig", "x");
  EXPECT_EQ(choose(false, "", QString::fromStdString(file)), file);
  EXPECT_EQ(choose(false, dir.path(), QString()), std::nullopt);
}

}  // namespace
}  // namespace rondel
