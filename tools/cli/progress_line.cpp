// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cli/progress_line.h"

#include <cstdio>
#include <cstring>
#include <ostream>
#include <unistd.h>

namespace rondel::cli {

bool RewritesInPlace(int fd, const char* term) {
  return ::isatty(fd) == 1 && term && *term && std::strcmp(term, "dumb") != 0;
}

ProgressLine::ProgressLine(std::ostream& err, bool inPlace) : m_err(err), m_inPlace(inPlace) {}

ProgressLine::~ProgressLine() { Finish(); }

void ProgressLine::Print(const std::string& line) {
  if (line.empty() || line == m_last) return;
  m_last = line;
  if (m_inPlace) {
    m_err << "\r" << line << "\033[K" << std::flush;
    m_open = true;
  } else {
    m_err << line << "\n" << std::flush;
  }
}

void ProgressLine::Show(const std::string& text, int port) {
  std::string line = text;
  if (port > 0) {
    char pane[16];
    std::snprintf(pane, sizeof pane, "  COM%d", port);
    line += pane;
  }
  Print(line);
}

void ProgressLine::Percent(const std::string& prompt, int percent) {
  if (percent == m_lastPercent) return;
  // A log needs no hundred lines: one per quarter, the last one at 100 %.
  if (!m_inPlace && percent < m_nextQuarter) return;
  m_lastPercent = percent;
  while (m_nextQuarter <= percent) m_nextQuarter += 25;
  Print(prompt + " " + std::to_string(percent) + "%");
}

void ProgressLine::Complete(const std::string& prompt) {
  // The last block's tick may have been overtaken by the final status.
  Percent(prompt, 100);
  Finish();
}

void ProgressLine::Begin(const std::string& prompt) {
  Finish();
  m_nextQuarter = 25;
  m_lastPercent = -1;
  Print(prompt);
}

void ProgressLine::Finish() {
  if (m_open) m_err << "\n" << std::flush;
  m_open = false;
}

}  // namespace rondel::cli
