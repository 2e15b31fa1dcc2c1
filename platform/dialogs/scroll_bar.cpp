// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dialogs/scroll_bar.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

namespace rondel {

CScrollBar::CScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
  // A click in the trough pages (never jumps), and the toolkit's own menu would move the bar
  // behind its owner's back.
  setContextMenuPolicy(Qt::NoContextMenu);
  setTracking(true);
  connect(this, &QAbstractSlider::actionTriggered, this, &CScrollBar::OnAction);
}

void CScrollBar::SetScrollRange(int low, int high) { setRange(low, high); }

void CScrollBar::SetScrollPos(int position) { setValue(position); }

void CScrollBar::SendScroll(ScrollCode code) { emit Scrolled(code, value()); }

void CScrollBar::OnAction(int action) {
  // The toolkit has already moved the slider for the action; it goes back to the position the
  // owner set, and the owner alone says where it goes from there.
  const int proposed = sliderPosition();
  setSliderPosition(value());
  ScrollCode code;
  switch (static_cast<SliderAction>(action)) {
    case SliderSingleStepSub: code = ScrollCode::LineLeft; break;
    case SliderSingleStepAdd: code = ScrollCode::LineRight; break;
    case SliderPageStepSub: code = ScrollCode::PageLeft; break;
    case SliderPageStepAdd: code = ScrollCode::PageRight; break;
    case SliderToMinimum: code = ScrollCode::Left; break;
    case SliderToMaximum: code = ScrollCode::Right; break;
    case SliderMove: code = ScrollCode::ThumbTrack; break;
    default: return;
  }
  emit Scrolled(code, proposed);
}

void CScrollBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    // Only the left button scrolls; the others neither jump nor page.
    event->ignore();
    return;
  }
  QStyleOptionSlider option;
  initStyleOption(&option);
  const QStyle::SubControl hit =
      style()->hitTestComplexControl(QStyle::CC_ScrollBar, &option, event->position().toPoint(), this);
  m_tracking = true;
  m_thumb = hit == QStyle::SC_ScrollBarSlider;
  if (hit == QStyle::SC_ScrollBarAddPage || hit == QStyle::SC_ScrollBarSubPage) {
    // Some styles jump to the click in the trough; here it always pages.
    const bool left = hit == QStyle::SC_ScrollBarSubPage;
    emit Scrolled(left ? ScrollCode::PageLeft : ScrollCode::PageRight, value());
    event->accept();
    return;
  }
  QScrollBar::mousePressEvent(event);
}

void CScrollBar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !m_tracking) {
    event->ignore();
    return;
  }
  const bool thumb = m_thumb;
  const int thumbAt = sliderPosition();
  m_tracking = false;
  m_thumb = false;
  QScrollBar::mouseReleaseEvent(event);
  if (thumb) emit Scrolled(ScrollCode::ThumbPosition, thumbAt);
  emit Scrolled(ScrollCode::EndScroll, value());
}

void CScrollBar::wheelEvent(QWheelEvent* event) {
  // The wheel does not move a scroll bar control.
  event->ignore();
}

}  // namespace rondel
