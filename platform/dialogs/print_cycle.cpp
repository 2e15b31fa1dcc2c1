// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dialogs/print_cycle.h"

#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include <algorithm>

#include "platform/dialogs/modal_run.h"

namespace rondel {

void CPrintCycle::OnBeginPrinting(QPainter&, CPrintInfo&) {}
void CPrintCycle::OnPrint(QPainter&, CPrintInfo&) {}
void CPrintCycle::OnEndPrinting(QPainter&, CPrintInfo&) {}

bool CPrintCycle::DoPreparePrinting(CPrintInfo& info) {
  info.fromPage = info.minPage;
  info.toPage = info.maxPage;
  if (info.preview || info.direct) return true;
  QPrintDialog dialog(info.printer, info.parent);
  dialog.setMinMax(info.minPage, info.maxPage);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  if (RunModal(dialog) != QDialog::Accepted) return false;
  // Zero means the whole document; a range is kept inside the document's pages.
  if (info.printer->fromPage() > 0) {
    info.fromPage = std::clamp(info.printer->fromPage(), info.minPage, info.maxPage);
    info.toPage = std::clamp(info.printer->toPage(), info.fromPage, info.maxPage);
  }
  return true;
}

bool PrintPages(CPrintCycle& cycle, QPrinter& printer, CPrintInfo& info) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  info.printer = &printer;
  cycle.OnBeginPrinting(painter, info);
  for (int page = info.fromPage; page <= info.toPage; ++page) {
    if (page > info.fromPage) printer.newPage();
    info.currentPage = page;
    info.drawRect = printer.pageLayout().paintRectPixels(printer.resolution());
    cycle.OnPrint(painter, info);
  }
  cycle.OnEndPrinting(painter, info);
  painter.end();
  return true;
}

bool RunPrint(CPrintCycle& cycle, QPrinter& printer, QWidget* parent) {
  CPrintInfo info;
  info.printer = &printer;
  info.parent = parent;
  if (!cycle.OnPreparePrinting(info)) return false;
  return PrintPages(cycle, printer, info);
}

bool RunPrintDirect(CPrintCycle& cycle, QPrinter& printer) {
  CPrintInfo info;
  info.printer = &printer;
  info.direct = true;
  if (!cycle.OnPreparePrinting(info)) return false;
  return PrintPages(cycle, printer, info);
}

bool RunPrintPreview(CPrintCycle& cycle, QPrinter& printer, QWidget* parent) {
  CPrintInfo info;
  info.printer = &printer;
  info.parent = parent;
  info.preview = true;
  if (!cycle.OnPreparePrinting(info)) return false;
  QPrintPreviewDialog preview(&printer, parent);
  if (auto* pages = preview.findChild<QPrintPreviewWidget*>()) {
    pages->setViewMode(info.previewPages > 1 ? QPrintPreviewWidget::FacingPagesView
                                             : QPrintPreviewWidget::SinglePageView);
  }
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                   [&cycle, info](QPrinter* target) mutable { PrintPages(cycle, *target, info); });
  RunModal(preview);
  return true;
}

bool RunPrintSetup(QPrinter& printer, QWidget* parent) {
  QPageSetupDialog dialog(&printer, parent);
  return RunModal(dialog) == QDialog::Accepted;
}

}  // namespace rondel
