// SPDX-License-Identifier: GPL-3.0-or-later
// CChannelPrint: the view's print cycle for the channel list, the same steps for the printer
// and the preview: the page count, the measuring, one page, the end of the run. The channel
// grid draws the cells itself, so the paper shows what the form shows.
#pragma once

#include <QFont>

#include <optional>
#include <vector>

#include "platform/dialogs/print_cycle.h"
#include "shell/channel_list/channel_print_layout.h"

namespace rondel {

class CChannelGrid;
class CRondelApp;

class CChannelPrint : public CPrintCycle {
 public:
  CChannelPrint(CRondelApp& app, const CChannelGrid& grid) : m_app(app), m_grid(grid) {}

  bool OnPreparePrinting(CPrintInfo& info) override;
  void OnBeginPrinting(QPainter& painter, CPrintInfo& info) override;
  void OnPrint(QPainter& painter, CPrintInfo& info) override;
  void OnEndPrinting(QPainter& painter, CPrintInfo& info) override;

 private:
  // The channels a printout shows, ascending: those whose receive frequency the grid shows.
  std::vector<int> PrintedChannels() const;
  // The page's last band: file, model, "page n of m".
  void PrintFooter(QPainter& painter, const CPrintInfo& info, int bandHeight) const;

  CRondelApp& m_app;
  const CChannelGrid& m_grid;
  // One print or preview run: the margins from prepare, the page from begin, the font of the
  // step in progress.
  int m_leftMargin = 0;
  int m_rightMargin = 0;
  PrintPageGeometry m_printPage;
  std::optional<QFont> m_printerFont;
};

}  // namespace rondel
