// SPDX-License-Identifier: GPL-3.0-or-later
// The print and preview cycle of a view: prepare (page count, print dialog), begin, one call
// per page, end, driven the same way for the printer and for the preview window. The view
// overrides the steps; the defaults print nothing, so the cycle runs before a view has pages.
#pragma once

#include <QRect>

class QPainter;
class QPrinter;
class QWidget;

namespace rondel {

struct CPrintInfo {
  QPrinter* printer = nullptr;
  QWidget* parent = nullptr;  // owner of the print dialog
  bool preview = false;
  bool direct = false;  // printed without the print dialog, on the printer as it is set up
  int minPage = 1;  // the document's pages, set by the prepare step
  int maxPage = 1;
  int fromPage = 1;  // the range chosen in the print dialog
  int toPage = 1;
  int previewPages = 1;  // pages the preview shows at a time
  int currentPage = 1;
  QRect drawRect;  // the page's printable area in device pixels
};

class CPrintCycle {
 public:
  virtual ~CPrintCycle() = default;

  // Sets the page count and shows the print dialog (DoPreparePrinting); false stops the run.
  virtual bool OnPreparePrinting(CPrintInfo& info) { return DoPreparePrinting(info); }
  virtual void OnBeginPrinting(QPainter& painter, CPrintInfo& info);
  virtual void OnPrint(QPainter& painter, CPrintInfo& info);
  virtual void OnEndPrinting(QPainter& painter, CPrintInfo& info);

 protected:
  // The standard print dialog with the page range of `info` (skipped for a preview and for a
  // direct print, which print every page); false when the user cancelled it.
  bool DoPreparePrinting(CPrintInfo& info);
};

// Print: prepare with its dialog, then the pages of the chosen range onto `printer`.
// False when the dialog was cancelled or the printer could not be started.
bool RunPrint(CPrintCycle& cycle, QPrinter& printer, QWidget* parent);
// Print preview: prepare without a dialog, then the preview window, which draws its pages
// through the same steps each time it repaints.
bool RunPrintPreview(CPrintCycle& cycle, QPrinter& printer, QWidget* parent);
// Begin, the pages info.fromPage..info.toPage, end: what a print and each preview repaint do
// after prepare. False when the printer could not be started.
bool PrintPages(CPrintCycle& cycle, QPrinter& printer, CPrintInfo& info);
// Print without a dialog: prepare, then every page onto `printer` as it is set up (a PDF file
// named by the command line). False when the printer could not be started.
bool RunPrintDirect(CPrintCycle& cycle, QPrinter& printer);
// Print Setup: printer, paper and orientation for the next runs; false when cancelled.
bool RunPrintSetup(QPrinter& printer, QWidget* parent);

}  // namespace rondel
