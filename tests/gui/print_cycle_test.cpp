// The print cycle: prepare with the print dialog, begin, the pages of the chosen range, end,
// printed to PDF; the preview draws through the same steps; Print, Print Preview and Print
// Setup of the File menu.
#include <gtest/gtest.h>

#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTest>

#include "gui_support.h"
#include "platform/dialogs/print_cycle.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"

namespace rondel {
namespace {

using test::ModalScript;
using test::ReadText;
using test::TempDir;

// A cycle of `pages` pages that notes every step and prints its page number.
class CountingCycle : public CPrintCycle {
 public:
  explicit CountingCycle(int pages) : m_pages(pages) {}
  bool OnPreparePrinting(CPrintInfo& info) override {
    steps.push_back(info.preview ? "prepare-preview" : "prepare");
    info.maxPage = m_pages;
    return DoPreparePrinting(info);
  }
  void OnBeginPrinting(QPainter&, CPrintInfo&) override { steps.push_back("begin"); }
  void OnPrint(QPainter& painter, CPrintInfo& info) override {
    steps.push_back("page " + std::to_string(info.currentPage));
    EXPECT_FALSE(info.drawRect.isEmpty());
    painter.drawText(100, 100, QStringLiteral("page %1").arg(info.currentPage));
  }
  void OnEndPrinting(QPainter&, CPrintInfo&) override { steps.push_back("end"); }
  std::vector<std::string> steps;

 private:
  int m_pages;
};

int PdfPages(const std::string& path) {
  const QString pdf = QString::fromLatin1(QByteArray::fromStdString(ReadText(path)));
  return static_cast<int>(pdf.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

struct Printing : ::testing::Test {
  Printing() {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
  }
  TempDir dir;
  std::string pdf = dir.File("out.pdf");
  QPrinter printer;
  ModalScript modals;
};

TEST_F(Printing, RunsPrepareBeginEveryPageAndEnd) {
  CountingCycle cycle(3);
  modals.Then([](QDialog& d) {
    EXPECT_NE(qobject_cast<QPrintDialog*>(&d), nullptr);
    return int(QDialog::Accepted);
  });
  ASSERT_TRUE(RunPrint(cycle, printer, nullptr));
  EXPECT_EQ(cycle.steps, (std::vector<std::string>{"prepare", "begin", "page 1", "page 2", "page 3", "end"}));
  EXPECT_EQ(PdfPages(pdf), 3);
}

TEST_F(Printing, TheChosenRangeIsPrintedWithinTheDocument) {
  CountingCycle cycle(4);
  modals.Then([](QDialog& d) {
    auto& dialog = static_cast<QPrintDialog&>(d);
    EXPECT_EQ(dialog.minPage(), 1);
    EXPECT_EQ(dialog.maxPage(), 4);
    dialog.printer()->setPrintRange(QPrinter::PageRange);
    dialog.printer()->setFromTo(2, 9);
    return int(QDialog::Accepted);
  });
  ASSERT_TRUE(RunPrint(cycle, printer, nullptr));
  EXPECT_EQ(cycle.steps, (std::vector<std::string>{"prepare", "begin", "page 2", "page 3", "page 4", "end"}));
  EXPECT_EQ(PdfPages(pdf), 3);
}

TEST_F(Printing, ACancelledPrintDialogPrintsNothing) {
  CountingCycle cycle(2);
  modals.Then([](QDialog&) { return int(QDialog::Rejected); });
  EXPECT_FALSE(RunPrint(cycle, printer, nullptr));
  EXPECT_EQ(cycle.steps, std::vector<std::string>{"prepare"});
}

TEST_F(Printing, PreviewSkipsThePrintDialogAndDrawsThroughTheSameSteps) {
  CountingCycle cycle(2);
  modals.Then([&](QDialog& d) {
    EXPECT_NE(qobject_cast<QPrintPreviewDialog*>(&d), nullptr);
    // Shown by the script: the preview draws its pages as it appears.
    EXPECT_TRUE(QTest::qWaitFor([&] { return cycle.steps.size() >= 5; }, 5000));
    return int(QDialog::Accepted);
  });
  ASSERT_TRUE(RunPrintPreview(cycle, printer, nullptr));
  ASSERT_GE(cycle.steps.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(cycle.steps.begin(), cycle.steps.begin() + 5),
            (std::vector<std::string>{"prepare-preview", "begin", "page 1", "page 2", "end"}));
}

TEST_F(Printing, ADirectPrintAsksNothingAndPrintsEveryPage) {
  CountingCycle cycle(2);
  // No dialog is scripted: one that appeared would fail the test.
  ASSERT_TRUE(RunPrintDirect(cycle, printer));
  EXPECT_EQ(cycle.steps, (std::vector<std::string>{"prepare", "begin", "page 1", "page 2", "end"}));
  EXPECT_EQ(PdfPages(pdf), 2);
  EXPECT_TRUE(modals.shown.empty());
}

TEST_F(Printing, ADirectPrintOntoAFileThatCannotBeMadeFails) {
  CountingCycle cycle(1);
  printer.setOutputFileName(QString::fromStdString(dir.File("no-such-folder/out.pdf")));
  EXPECT_FALSE(RunPrintDirect(cycle, printer));
  EXPECT_EQ(cycle.steps, std::vector<std::string>{"prepare"});
}

TEST_F(Printing, DefaultCyclePrintsOneEmptyPage) {
  CPrintCycle cycle;
  modals.Then([](QDialog&) { return int(QDialog::Accepted); });
  ASSERT_TRUE(RunPrint(cycle, printer, nullptr));
  EXPECT_EQ(PdfPages(pdf), 1);
}

class PrintCommands : public test::ProgramTest {};

TEST_F(PrintCommands, PrintPreviewAndSetupOfTheFileMenuRunTheCycleOnTheProgramsPrinter) {
  ASSERT_TRUE(Start());
  const std::string pdf = m_folder.File("menu.pdf");
  App().Printer().setOutputFormat(QPrinter::PdfFormat);
  App().Printer().setOutputFileName(QString::fromStdString(pdf));
  m_modals.Then([](QDialog& d) {
    EXPECT_NE(qobject_cast<QPageSetupDialog*>(&d), nullptr);
    return int(QDialog::Accepted);
  });
  Frame().OnCommand(cmd::kFilePrintSetup);
  m_modals.Then([](QDialog& d) {
    EXPECT_NE(qobject_cast<QPrintDialog*>(&d), nullptr);
    return int(QDialog::Accepted);
  });
  Frame().OnCommand(cmd::kFilePrint);
  EXPECT_EQ(PdfPages(pdf), 1);
  EXPECT_EQ(App().Printer().docName(), QStringLiteral("Item"));
  m_modals.Then([](QDialog& d) {
    EXPECT_NE(qobject_cast<QPrintPreviewDialog*>(&d), nullptr);
    return int(QDialog::Accepted);
  });
  Frame().OnCommand(cmd::kFilePrintPreview);
  EXPECT_EQ(m_modals.shown, (std::vector<int>{-1, -1, -1}));
}

}  // namespace
}  // namespace rondel
