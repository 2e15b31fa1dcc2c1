// SPDX-License-Identifier: GPL-3.0-or-later
// rondel --print-to-pdf OUT.pdf [FILE.dig]: the channel list of a data file (or of a new
// document) printed into a PDF through the view's own print steps, without a window or a
// display, so a dealer can mail a channel list without opening the program.
#pragma once

#include <string>
#include <vector>

#include "shell/qt/rondel_app.h"

class QPageSize;

namespace rondel {

inline constexpr const char* kPrintToPdfOption = "--print-to-pdf";

// Exit statuses of the printout, the numbers rondel-cli uses for the same outcomes.
inline constexpr int kPdfExitOk = 0;
inline constexpr int kPdfExitRejected = 3;     // FILE is not a data file
inline constexpr int kPdfExitUsage = 64;
inline constexpr int kPdfExitNoInput = 66;     // FILE (or setting.ini) cannot be opened
inline constexpr int kPdfExitCantCreate = 73;  // OUT cannot be written

struct PrintToPdfRequest {
  std::string out;
  std::string file;           // empty: a new document
  std::string wrongArgument;  // not empty: the command line is unusable, this is why
};

// Whether the command line asks for a printout; looked at before the toolkit starts, which
// then must not need a display.
bool WantsPrintToPdf(int argc, char** argv);
// `args`: the arguments after the program name, the toolkit's own already taken out.
PrintToPdfRequest ParsePrintToPdf(const std::vector<std::string>& args);

// The paper of a printout without a dialog: the locale's, A4 where it is unknown.
QPageSize DefaultPaperSize();

// Starts the toolkit (offscreen unless QT_QPA_PLATFORM says otherwise), the application with
// the view `viewFactory` makes, prints and returns the exit status. Messages go to stderr.
int RunPrintToPdf(int& argc, char** argv, CRondelApp::ViewFactory viewFactory);

// The printout itself, in a running toolkit: `app` is started hidden with the request's file
// and its channel list written to the request's PDF, whole or not at all.
int PrintToPdf(CRondelApp& app, const PrintToPdfRequest& request);

}  // namespace rondel
