// SPDX-License-Identifier: GPL-3.0-or-later
// The undo history: steps recorded, undone and redone, the saved position, the bound.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/edit_history.h"

namespace rondel {
namespace {

// A state told apart by its first image byte.
DocumentSnapshot State(std::uint8_t mark) {
  DocumentSnapshot s;
  s.image[0] = mark;
  return s;
}

// Replays a script of one letter a move: a digit records that state, "u" undoes, "r" redoes,
// "s" marks saved, "f" forgets the saved state. Returns the current mark after each move and
// whether the history stands at the saved state ("+"), as a string.
std::string Play(CEditHistory& history, const std::string& script) {
  std::string out;
  for (const char move : script) {
    if (move >= '0' && move <= '9') {
      history.Record(State(static_cast<std::uint8_t>(move - '0')));
    } else if (move == 'u') {
      history.Undo();
    } else if (move == 'r') {
      history.Redo();
    } else if (move == 's') {
      history.MarkSaved();
    } else if (move == 'f') {
      history.ForgetSaved();
    }
    out += static_cast<char>('0' + history.Current().image[0]);
    if (history.AtSaved()) out += '+';
    out += ' ';
  }
  return out;
}

TEST(EditHistory, StepsUndoRedoAndTheSavedPosition) {
  const struct {
    const char* script;
    std::size_t maxSteps;
    const char* trace;
    std::size_t undo, redo;
  } cases[] = {
      // Back to where it was opened is unmodified again; so is forward to where it was saved.
      {"12uurr", 10, "1 2 1 0+ 1 2 ", 2, 0},
      {"12suur", 10, "1 2 2+ 1 0 1 ", 1, 1},
      // Nothing to undo or redo leaves the history where it is.
      {"uur", 10, "0+ 0+ 0+ ", 0, 0},
      {"1rr", 10, "1 1 1 ", 1, 0},
      // A change after an undo drops what was undone, and a saved state among it.
      {"12su3rr", 10, "1 2 2+ 1 3 3 3 ", 2, 0},
      // Recording the current state itself is no step.
      {"11u", 10, "1 1 0+ ", 0, 1},
      // Forgotten: no state of the history is in the file any more.
      {"1fuur", 10, "1 1 0 0 1 ", 1, 0},
      // Full: the oldest step goes, and with it the saved state once it is the oldest.
      {"1234uuuu", 3, "1 2 3 4 3 2 1 1 ", 0, 3},
      {"1s23uuu", 2, "1 1+ 2 3 2 1+ 1+ ", 0, 2},
      {"1s234uuu", 2, "1 1+ 2 3 4 3 2 2 ", 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    CEditHistory history(c.maxSteps);
    history.Reset(State(0));
    EXPECT_EQ(Play(history, c.script), c.trace);
    EXPECT_EQ(history.UndoSteps(), c.undo);
    EXPECT_EQ(history.RedoSteps(), c.redo);
    EXPECT_EQ(history.CanUndo(), c.undo > 0);
    EXPECT_EQ(history.CanRedo(), c.redo > 0);
  }
}

TEST(EditHistory, ResetStartsOverAtASavedState) {
  CEditHistory history;
  history.Reset(State(0));
  Play(history, "123u");
  DocumentSnapshot opened = State(7);
  opened.shortFileLength = 101;
  history.Reset(opened);
  EXPECT_TRUE(history.AtSaved());
  EXPECT_FALSE(history.CanUndo() || history.CanRedo());
  EXPECT_EQ(history.Current(), opened);
  // The cut-short length is part of a state: the same bytes with another length are a step.
  DocumentSnapshot whole = opened;
  whole.shortFileLength = 0;
  EXPECT_TRUE(history.Record(whole));
  EXPECT_EQ(history.Undo()->shortFileLength, 101u);
}

TEST(EditHistory, TheDefaultBoundHoldsAThousandSteps) {
  CEditHistory history;
  history.Reset(State(0));
  for (int i = 1; i <= 1500; ++i) {
    DocumentSnapshot s;
    s.image[1] = static_cast<std::uint8_t>(i & 0xFF);
    s.image[2] = static_cast<std::uint8_t>(i >> 8);
    history.Record(s);
  }
  EXPECT_EQ(history.UndoSteps(), CEditHistory::kDefaultMaxSteps);
  while (history.Undo() != nullptr) {
  }
  const int oldest = history.Current().image[1] | history.Current().image[2] << 8;
  EXPECT_EQ(oldest, 500);
  EXPECT_FALSE(history.AtSaved()) << "the opened state went with the oldest steps";
}

}  // namespace
}  // namespace rondel
