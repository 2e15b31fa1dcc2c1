// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cli/fleet_progress.h"

#include <algorithm>
#include <ostream>

namespace rondel::cli {

FleetProgress::FleetProgress(std::ostream& err, bool inPlace, std::vector<std::string> labels)
    : m_err(err), m_inPlace(inPlace) {
  for (std::string& l : labels) {
    m_labelWidth = std::max(m_labelWidth, l.size());
    m_rows.push_back(Row{std::move(l), {}, {}});
  }
}

FleetProgress::~FleetProgress() { Finish(); }

std::string FleetProgress::Line(const Row& row) const {
  std::string line = row.label;
  line.append(m_labelWidth - row.label.size() + 2, ' ');
  return line + row.text;
}

void FleetProgress::Log(const std::string& line) {
  if (!m_inPlace) m_err << line << "\n" << std::flush;
}

void FleetProgress::Percent(std::size_t i, const std::string& prompt, int percent) {
  Row& row = m_rows.at(i);
  if (prompt != row.prompt) {
    // A log that missed the last tick of the phase before still ends it at 100 %.
    if (!row.prompt.empty() && row.lastPercent >= 0 && row.lastPercent < 100 && !m_inPlace)
      Log(Line(Row{row.label, row.prompt + " 100%", {}}));
    row.prompt = prompt;
    row.nextQuarter = 25;
    row.lastPercent = -1;
    row.text = prompt;
    m_changed = true;
    Log(Line(row));
  }
  if (percent == row.lastPercent || percent <= 0) return;
  // A log needs no hundred lines a radio: one per quarter, the last one at 100 %.
  if (!m_inPlace && percent < row.nextQuarter) return;
  row.lastPercent = percent;
  while (row.nextQuarter <= percent) row.nextQuarter += 25;
  row.text = prompt + " " + std::to_string(percent) + "%";
  m_changed = true;
  Log(Line(row));
}

void FleetProgress::Text(std::size_t i, const std::string& text) {
  Row& row = m_rows.at(i);
  if (text == row.text) return;
  row.text = text;
  row.prompt.clear();
  row.lastPercent = -1;
  m_changed = true;
  Log(Line(row));
}

void FleetProgress::Footer(const std::string& text) {
  if (m_hasFooter && text == m_footer) return;
  m_footer = text;
  m_hasFooter = true;
  m_changed = true;
  Log(text);
}

void FleetProgress::Render() {
  if (!m_inPlace || !m_changed) return;
  m_changed = false;
  if (m_drawn && m_drawnLines > 0) m_err << "\033[" << m_drawnLines << "A";
  std::size_t lines = 0;
  for (const Row& row : m_rows) {
    m_err << "\r" << Line(row) << "\033[K\n";
    ++lines;
  }
  if (m_hasFooter) {
    m_err << "\r" << m_footer << "\033[K\n";
    ++lines;
  }
  m_err << std::flush;
  m_drawn = true;
  m_drawnLines = lines;
}

void FleetProgress::Finish() { Render(); }

}  // namespace rondel::cli
