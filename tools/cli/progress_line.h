// SPDX-License-Identifier: GPL-3.0-or-later
// The progress of a transfer on standard error. On a terminal one line is rewritten in place;
// in a log or a pipe, and on a terminal that cannot move its cursor (TERM=dumb, or no TERM at
// all), a few plain lines are enough: the start, every quarter, the end.
#pragma once

#include <iosfwd>
#include <string>

namespace rondel::cli {

// Whether the progress on `fd` may be one line rewritten with "\r" and "\033[K": `fd` is a
// terminal and `term` (the value of TERM, or null) names one that is not "dumb".
bool RewritesInPlace(int fd, const char* term);

class ProgressLine {
 public:
  // `inPlace`: rewrite one line (a terminal) instead of printing lines of their own.
  ProgressLine(std::ostream& err, bool inPlace);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // What the dialog's status text would show now; the port search adds the port it opened,
  // as the status bar would. Ignored when it repeats the last one.
  void Show(const std::string& text, int port);
  // The transfer's share done with the direction's prompt.
  void Percent(const std::string& prompt, int percent);
  // A complete transfer: the line ends at 100 %.
  void Complete(const std::string& prompt);
  // The next phase of a write (the backup read, the write, the verification) starts its own
  // line from 0 %.
  void Begin(const std::string& prompt);
  // Ends a line rewritten in place, so what follows starts on a line of its own.
  void Finish();

 private:
  void Print(const std::string& line);

  std::ostream& m_err;
  bool m_inPlace;
  bool m_open = false;
  std::string m_last;
  int m_nextQuarter = 25;  // the next percentage a log gets a line for
  int m_lastPercent = -1;
};

}  // namespace rondel::cli
