#include "ui/controls/CFlmtSliderNeo.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

#include "ui/Theme.h"

namespace cbx::ui {

namespace {
constexpr int kTrackY = 84;
constexpr int kHandleW = 13, kHandleH = 16;
constexpr int kArrowSize = 20;
constexpr int kPictureTop = 4;
// Pictures: handle 1 (normal, lit), handle 2 (normal, lit), left and right arrow (normal, pressed).
constexpr int kHandle1 = 601, kHandle1Lit = 602, kHandle2 = 603, kHandle2Lit = 604;
constexpr int kArrowLeft = 605, kArrowLeftPressed = 606, kArrowRight = 607, kArrowRightPressed = 608;

const QRect kLeftArrow(8, kTrackY - kArrowSize / 2, kArrowSize, kArrowSize);
const QRect kRightArrow(CFlmtSliderNeo::kWidth - 8 - kArrowSize, kTrackY - kArrowSize / 2, kArrowSize, kArrowSize);
const QRect kTrackBand(CFlmtSliderNeo::kScaleLeft - 8, kTrackY - kHandleH, CFlmtSliderNeo::kScaleWidth + 16,
                       kHandleH * 2 + 2);

bool IsStepPart(CFlmtSliderNeo::Part part) {
  return part == CFlmtSliderNeo::kDecrement || part == CFlmtSliderNeo::kIncrement ||
         part == CFlmtSliderNeo::kPageLeft || part == CFlmtSliderNeo::kPageRight;
}
}  // namespace

CFlmtSliderNeo::CFlmtSliderNeo(QWidget* parent) : QWidget(parent) {
  setFixedSize(kWidth, kHeight);
  setMouseTracking(true);
  connect(&timer_, &QTimer::timeout, this, [this] {
    // A release that never reached us (the window lost the pointer) ends the part too.
    if ((QGuiApplication::mouseButtons() & Qt::LeftButton) == 0) {
      mouseReleaseEvent(nullptr);
      return;
    }
    RepeatStep();
  });
}

void CFlmtSliderNeo::SetBackground(const QImage& picture) {
  background_ = picture;
  update();
}

void CFlmtSliderNeo::SetTicks(std::vector<CFlmtSliderInfo> ticks) {
  ticks_ = std::move(ticks);
  update();
}

void CFlmtSliderNeo::SetFirstRange(int min, int max) {
  first_.SetRange(min, max);
  update();
}

void CFlmtSliderNeo::SetSecondRange(int min, int max) {
  second_.SetRange(min, max);
  update();
}

void CFlmtSliderNeo::SetFirstPosition(int position) {
  first_.SetPosition(position);
  update();
}

void CFlmtSliderNeo::SetSecondPosition(int position) {
  second_.SetPosition(position);
  update();
}

void CFlmtSliderNeo::SetSecondHandleShown(bool shown) {
  secondShown_ = shown;
  update();
}

int CFlmtSliderNeo::TickX(int index) const {
  if (index < 0 || index >= static_cast<int>(ticks_.size())) return kScaleLeft;
  return kScaleLeft + ticks_[static_cast<std::size_t>(index)].x;
}

int CFlmtSliderNeo::LeftwardStep() const {
  return ticks_.size() >= 2 && ticks_.back().x > ticks_.front().x ? -1 : 1;
}

QRect CFlmtSliderNeo::HandleRect(const Handle& h, bool first) const {
  const int x = TickX(h.position) - kHandleW / 2;
  return first ? QRect(x, kTrackY - kHandleH, kHandleW, kHandleH) : QRect(x, kTrackY + 2, kHandleW, kHandleH);
}

QRect CFlmtSliderNeo::PartRect(Part part) const {
  const bool incrementLeft = LeftwardStep() > 0;
  const QRect handle = HandleRect(first_, true);
  switch (part) {
    case kIncrement: return incrementLeft ? kLeftArrow : kRightArrow;
    case kDecrement: return incrementLeft ? kRightArrow : kLeftArrow;
    case kFirstHandle: return handle;
    case kSecondHandle: return secondShown_ ? HandleRect(second_, false) : QRect();
    case kPageLeft: return QRect(QPoint(kTrackBand.left(), kTrackBand.top()), QPoint(handle.left() - 1, kTrackBand.bottom()));
    case kPageRight: return QRect(QPoint(handle.right() + 1, kTrackBand.top()), kTrackBand.bottomRight());
    default: return {};
  }
}

CFlmtSliderNeo::Part CFlmtSliderNeo::HitTest(const QPoint& p) const {
  for (const Part part : {kIncrement, kDecrement, kFirstHandle, kSecondHandle}) {
    if (PartRect(part).contains(p)) return part;
  }
  if (!kTrackBand.contains(p)) return kNone;
  return p.x() < TickX(first_.position) ? kPageLeft : kPageRight;
}

int CFlmtSliderNeo::NearestTick(int x, const Handle& h) const {
  const int last = std::min(h.max, static_cast<int>(ticks_.size()) - 1);
  int best = h.position;
  int bestDistance = -1;
  for (int i = std::max(h.min, 0); i <= last; ++i) {
    const int distance = std::abs(TickX(i) - x);
    if (bestDistance < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

void CFlmtSliderNeo::Notify() { emit TrackChanged(FlmtTrackChange{first_.position, second_.position, part_, repeat_}); }

void CFlmtSliderNeo::Move(Handle& h, int position) {
  const int clamped = std::clamp(position, h.min, h.max);
  if (clamped == h.position) return;
  h.position = clamped;
  repaint();
  Notify();
}

void CFlmtSliderNeo::StepActivePart(int step) {
  // The page parts move towards their side of the track, whichever way the indices run.
  int delta = step;
  if (part_ == kDecrement) delta = -step;
  if (part_ == kPageLeft) delta = step * LeftwardStep();
  if (part_ == kPageRight) delta = -step * LeftwardStep();
  Move(first_, first_.position + delta);
}

void CFlmtSliderNeo::RepeatStep() {
  if (!IsStepPart(part_)) return;
  // Only while the pointer is still over the part that was pressed.
  if (HitTest(pointer_) != part_) return;
  ++repeat_;
  const bool arrow = part_ == kIncrement || part_ == kDecrement;
  StepActivePart(arrow && repeat_ <= kFineRepeats ? 1 : kCoarseStep);
}

void CFlmtSliderNeo::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !isEnabled() || part_ != kNone) return;
  pointer_ = e->position().toPoint();
  const Part part = HitTest(pointer_);
  if (part == kNone) return;
  part_ = part;
  repeat_ = 0;
  if (part == kFirstHandle || part == kSecondHandle) {
    Handle& h = part == kFirstHandle ? first_ : second_;
    Move(h, NearestTick(pointer_.x(), h));
  } else {
    const bool arrow = part == kIncrement || part == kDecrement;
    StepActivePart(arrow ? 1 : kCoarseStep);
    timer_.start(kRepeatMs);
  }
  update();
}

void CFlmtSliderNeo::mouseMoveEvent(QMouseEvent* e) {
  pointer_ = e->position().toPoint();
  if (part_ == kFirstHandle || part_ == kSecondHandle) {
    Handle& h = part_ == kFirstHandle ? first_ : second_;
    Move(h, NearestTick(pointer_.x(), h));
    return;
  }
  if (part_ == kNone) {
    const Part over = HitTest(pointer_);
    if (over != hover_) {
      hover_ = over;
      update();
    }
  }
}

void CFlmtSliderNeo::mouseReleaseEvent(QMouseEvent*) {
  if (part_ == kNone) return;
  timer_.stop();
  part_ = kNone;
  repeat_ = 0;
  Notify();
  update();
}

void CFlmtSliderNeo::leaveEvent(QEvent*) {
  if (hover_ != kNone) {
    hover_ = kNone;
    update();
  }
}

void CFlmtSliderNeo::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!background_.isNull()) {
    p.drawImage(QPoint(kScaleLeft + (kScaleWidth - background_.width()) / 2, kPictureTop), background_);
  }
  // The track with the chosen range lit between the handles.
  const QRect track(kScaleLeft, kTrackY - 1, kScaleWidth + 1, 3);
  p.fillRect(track, FromBgr(0x141414));
  p.setPen(FromBgr(0x505050));
  p.drawRect(track.adjusted(0, 0, -1, -1));
  if (secondShown_) {
    const int a = TickX(first_.position), b = TickX(second_.position);
    p.fillRect(QRect(QPoint(std::min(a, b), kTrackY - 1), QPoint(std::max(a, b), kTrackY + 1)), kTitleHighlight);
  }
  p.setPen(FromBgr(0x8A8A8A));
  for (std::size_t i = 0; i < ticks_.size(); ++i) {
    const int x = TickX(static_cast<int>(i));
    p.drawLine(x, kTrackY - 4, x, kTrackY - 2);
    p.drawLine(x, kTrackY + 2, x, kTrackY + 4);
  }
  const bool incrementLeft = LeftwardStep() > 0;
  const Part leftPart = incrementLeft ? kIncrement : kDecrement;
  const Part rightPart = incrementLeft ? kDecrement : kIncrement;
  DrawPng(p, kLeftArrow.topLeft(), part_ == leftPart ? kArrowLeftPressed : kArrowLeft);
  DrawPng(p, kRightArrow.topLeft(), part_ == rightPart ? kArrowRightPressed : kArrowRight);
  const auto lit = [this](Part part) { return part_ == part || (part_ == kNone && hover_ == part); };
  if (secondShown_) {
    DrawPng(p, HandleRect(second_, false).topLeft(), lit(kSecondHandle) ? kHandle2Lit : kHandle2);
  }
  DrawPng(p, HandleRect(first_, true).topLeft(), lit(kFirstHandle) ? kHandle1Lit : kHandle1);
}

}  // namespace cbx::ui
