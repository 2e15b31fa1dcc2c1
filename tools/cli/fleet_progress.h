// SPDX-License-Identifier: GPL-3.0-or-later
// The progress of several transfers at once on standard error. On a terminal one line per
// radio, all of them rewritten in place (the cursor goes back up over the block); in a log a
// line per radio for each phase, each quarter of it and its end, each prefixed with the radio.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace rondel::cli {

class FleetProgress {
 public:
  // `labels`: what names each radio at the start of its line.
  FleetProgress(std::ostream& err, bool inPlace, std::vector<std::string> labels);
  ~FleetProgress();
  FleetProgress(const FleetProgress&) = delete;
  FleetProgress& operator=(const FleetProgress&) = delete;

  // Radio `i` is at `percent` of the phase `prompt`. A new prompt starts a new phase: the
  // one before it was complete.
  void Percent(std::size_t i, const std::string& prompt, int percent);
  // Radio `i` shows `text` (a state or its result).
  void Text(std::size_t i, const std::string& text);
  // A line below the radios' (the running count of the dealer's loop).
  void Footer(const std::string& text);
  // Draws what changed: on a terminal the whole block again, in a log nothing (its lines are
  // printed as they come).
  void Render();
  // Leaves the block, so what follows starts below it.
  void Finish();

 private:
  struct Row {
    std::string label;
    std::string text;
    std::string prompt;
    int nextQuarter = 25;
    int lastPercent = -1;
  };
  void Log(const std::string& line);
  std::string Line(const Row& row) const;

  std::ostream& m_err;
  bool m_inPlace;
  std::vector<Row> m_rows;
  std::string m_footer;
  bool m_hasFooter = false;
  bool m_changed = true;
  bool m_drawn = false;
  std::size_t m_drawnLines = 0;
  std::size_t m_labelWidth = 0;
};

}  // namespace rondel::cli
