#include "ui/controls/CLHScrollBarBase.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ui/Theme.h"

namespace cbx::ui {

CLHScrollBarBase::CLHScrollBarBase(QWidget* parent) : QWidget(parent) {
  setFixedWidth(kWidth);
  // Held arrows and track repeat: a pause, then steady steps.
  connect(&repeat_, &QTimer::timeout, this, [this] {
    repeat_.setInterval(100);
    Step();
  });
}

void CLHScrollBarBase::SetScrollState(int count, int page, int first) {
  count_ = std::max(0, count);
  page_ = std::max(1, page);
  first_ = std::max(0, first);
  update();
}

void CLHScrollBarBase::SetActive(bool active) {
  active_ = active;
  update();
}

QRect CLHScrollBarBase::ThumbRect() const {
  const int track = TrackBottom() - TrackTop();
  // No rows or a page that holds them all: the thumb fills the track.
  if (count_ <= 0 || track <= 0) return QRect(0, TrackTop(), kWidth, std::max(0, track));
  const int length = std::min(track, static_cast<int>(std::lround(double(track) * page_ / count_)));
  const int offset = static_cast<int>(std::lround(double(track) * first_ / count_));
  return QRect(0, TrackTop() + std::min(offset, track - length), kWidth, length);
}

CLHScrollBarBase::Part CLHScrollBarBase::HitTest(const QPoint& p) const {
  if (!rect().contains(p)) return kNone;
  if (p.y() < TrackTop()) return kUpArrow;
  if (p.y() >= TrackBottom()) return kDownArrow;
  const QRect thumb = ThumbRect();
  if (thumb.contains(p)) return kThumb;
  return p.y() < thumb.top() ? kTrackBefore : kTrackAfter;
}

void CLHScrollBarBase::Step() {
  if (!onScroll) return;
  switch (pressed_) {
    case kUpArrow: onScroll(kLineUp, 0); break;
    case kDownArrow: onScroll(kLineDown, 0); break;
    case kTrackBefore: onScroll(kPageUp, 0); break;
    case kTrackAfter: onScroll(kPageDown, 0); break;
    default: break;
  }
}

void CLHScrollBarBase::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  pressed_ = HitTest(e->position().toPoint());
  pressY_ = static_cast<int>(e->position().y());
  firstAtPress_ = first_;
  if (pressed_ != kThumb && pressed_ != kNone) {
    Step();
    repeat_.start(500);
  }
  update();
}

void CLHScrollBarBase::mouseMoveEvent(QMouseEvent* e) {
  if (pressed_ != kThumb || count_ <= page_) return;
  const int track = TrackBottom() - TrackTop() - ThumbRect().height();
  if (track <= 0) return;
  // Whole rows, from where the thumb was when it was taken.
  const int moved = static_cast<int>(e->position().y()) - pressY_;
  const int row = std::clamp(firstAtPress_ + static_cast<int>(std::lround(double(moved) * count_ / track)), 0,
                             count_ - page_);
  if (onScroll) onScroll(kThumbTrack, row);
}

void CLHScrollBarBase::mouseReleaseEvent(QMouseEvent*) {
  repeat_.stop();
  pressed_ = kNone;
  update();
}

void CLHScrollBarBase::paintEvent(QPaintEvent*) {
  QPainter p(this);
  DrawPng(p, QPoint(0, 0), 369);
  const int top = TrackTop(), bottom = TrackBottom();
  if (active_) {
    const QImage& track = Png(407);
    if (!track.isNull()) p.drawImage(QRect(0, top, kWidth, bottom - top), track);
    DrawPng(p, QPoint(0, 0), 406);
    DrawPng(p, QPoint(0, height() - 1), 406);
  } else {
    const QImage& track = Png(423);
    if (!track.isNull()) p.drawImage(QRect(0, 0, kWidth, height()), track);
    DrawPng(p, QPoint(0, top), 424);
    DrawPng(p, QPoint(0, bottom - 2), 422);
  }
  const bool held = (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0;
  DrawPng(p, QPoint(0, 0), !active_ ? 426 : (held && pressed_ == kUpArrow) ? 414 : 415);
  DrawPng(p, QPoint(0, bottom), !active_ ? 425 : (held && pressed_ == kDownArrow) ? 412 : 413);
  if (!active_) return;
  const QRect thumb = ThumbRect();
  const QImage& body = Png(410);
  if (!body.isNull()) p.drawImage(thumb, body);
  DrawPng(p, QPoint(0, thumb.top() - 2), 411);
  DrawPng(p, QPoint(0, thumb.bottom() + 1), 408);
  if (thumb.height() > 12) DrawPng(p, QPoint(0, thumb.center().y() - 12), 409);
}

}  // namespace cbx::ui
