// SPDX-License-Identifier: GPL-3.0-or-later
// A scroll bar control as dialogs have always had it: it never moves by itself. Every mouse
// action becomes a scroll code for its owner, who decides the new position and sets it; the
// release of the mouse button ends each action with EndScroll.
#pragma once

#include <QScrollBar>

namespace rondel {

// The horizontal scroll codes, numbered as they always were.
enum class ScrollCode {
  LineLeft = 0,       // the left arrow
  LineRight = 1,      // the right arrow
  PageLeft = 2,       // the trough left of the thumb
  PageRight = 3,      // the trough right of the thumb
  ThumbPosition = 4,  // the thumb let go at a position
  ThumbTrack = 5,     // the thumb dragged to a position
  Left = 6,
  Right = 7,
  EndScroll = 8,      // the mouse button released
};

class CScrollBar : public QScrollBar {
  Q_OBJECT
 public:
  explicit CScrollBar(Qt::Orientation orientation, QWidget* parent);

  // The owner's answers: the range and the position the bar shows.
  void SetScrollRange(int low, int high);
  void SetScrollPos(int position);
  int GetScrollPos() const { return value(); }

  // What a key handler of the owner sends in the bar's name, as a user's click would.
  void SendScroll(ScrollCode code);

 signals:
  // `thumb`: where the thumb is being dragged (ThumbTrack) or was let go (ThumbPosition).
  void Scrolled(rondel::ScrollCode code, int thumb);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void OnAction(int action);

  bool m_tracking = false;  // a press of the left button is under way
  bool m_thumb = false;     // ... and it took the thumb
};

}  // namespace rondel
