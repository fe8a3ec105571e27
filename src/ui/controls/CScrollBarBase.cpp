#include "ui/controls/CScrollBarBase.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ui/Theme.h"

namespace cbx::ui {

namespace {
const QColor kTrack = FromBgr(0x6B6A6D);  // 0x6D6A6B as the file gives it (BBGGRR)
const QColor kLight = FromBgr(0x9FA0A3);
const QColor kDark = FromBgr(0x1F1E18);
}  // namespace

CScrollBarBase::CScrollBarBase(QWidget* parent) : CScrollBarBase(parent, kWidth, 12) {}

CScrollBarBase::CScrollBarBase(QWidget* parent, int width, int arrowLength) : QWidget(parent), arrowLength_(arrowLength) {
  setFixedWidth(width);
  connect(&timer_, &QTimer::timeout, this, [this] {
    timer_.setInterval(100);
    Repeat();
  });
}

void CScrollBarBase::SetScrollInfo(int min, int max, int page, int position) {
  min_ = min;
  max_ = std::max(min, max);
  page_ = std::max(0, page);
  position_ = std::clamp(position, min_, max_);
  update();
}

QRect CScrollBarBase::ThumbRect() const {
  const int track = TrackBottom() - TrackTop();
  const int span = max_ - min_ + 1;
  if (page_ == 0 || track <= 0 || span <= 0) return QRect(1, TrackTop(), width() - 2, std::max(0, track));
  const int length = std::min(track, static_cast<int>(std::lround(double(track) * page_ / span)));
  const int offset = static_cast<int>(std::lround(double(track) * (position_ - min_) / span));
  return QRect(1, TrackTop() + std::min(offset, track - length), width() - 2, length);
}

CScrollBarBase::Part CScrollBarBase::HitTest(const QPoint& p) const {
  if (!rect().contains(p)) return kNone;
  if (p.y() < TrackTop()) return kUpArrow;
  if (p.y() >= TrackBottom()) return kDownArrow;
  const QRect thumb = ThumbRect();
  if (thumb.contains(p)) return kThumb;
  return p.y() < thumb.top() ? kTrackBefore : kTrackAfter;
}

void CScrollBarBase::Repeat() {
  // The action repeats only while the pointer stays on the part it pressed.
  if (HitTest(mapFromGlobal(QCursor::pos())) != pressed_ && repeat_ > 0) return;
  ++repeat_;
  if (!onScroll) return;
  switch (pressed_) {
    case kUpArrow: onScroll(kLineUp, 0); break;
    case kDownArrow: onScroll(kLineDown, 0); break;
    case kTrackBefore: onScroll(kPageUp, 0); break;
    case kTrackAfter: onScroll(kPageDown, 0); break;
    default: break;
  }
}

void CScrollBarBase::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  pressed_ = HitTest(e->position().toPoint());
  pressY_ = static_cast<int>(e->position().y());
  positionAtPress_ = position_;
  repeat_ = 0;
  if (pressed_ != kThumb && pressed_ != kNone) {
    Repeat();
    timer_.start(500);
  }
  update();
}

void CScrollBarBase::mouseMoveEvent(QMouseEvent* e) {
  if (pressed_ != kThumb) return;
  const int travel = (TrackBottom() - TrackTop()) - ThumbRect().height();
  if (travel <= 0) return;
  const int moved = static_cast<int>(e->position().y()) - pressY_;
  const int position = std::clamp(
      positionAtPress_ + static_cast<int>(std::lround(double(moved) * (max_ - min_ + 1) / travel)), min_, max_);
  if (onScroll) onScroll(kThumbTrack, position);
}

void CScrollBarBase::mouseReleaseEvent(QMouseEvent*) {
  timer_.stop();
  pressed_ = kNone;
  repeat_ = 0;
  update();
}

void CScrollBarBase::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kTrack);
  DrawPng(p, QPoint(1, 1), pressed_ == kUpArrow ? 347 : 343);
  DrawPng(p, QPoint(1, height() - 12), pressed_ == kDownArrow ? 348 : 346);
  const QRect thumb = ThumbRect();
  p.fillRect(thumb, kTrack);
  // A raised edge: light on the top and left, dark on the bottom and right.
  p.setPen(kLight);
  p.drawLine(thumb.topLeft(), thumb.topRight());
  p.drawLine(thumb.topLeft(), thumb.bottomLeft());
  p.setPen(kDark);
  p.drawLine(thumb.bottomLeft(), thumb.bottomRight());
  p.drawLine(thumb.topRight(), thumb.bottomRight());
}

}  // namespace cbx::ui
