#include "ui/controls/CTrackBarBase.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ui/Theme.h"

namespace cbx::ui {

namespace {
constexpr int kThumbWidth = 9, kThumbHeight = 14;
constexpr int kDoublePressMs = 500;
constexpr int kDragBand = 32;
}  // namespace

CTrackBarBase::CTrackBarBase(QWidget* parent) : CTrackBarBase(parent, QRect(QPoint(2, 5), QPoint(208, 37)), 493, 0, 7) {}

CTrackBarBase::CTrackBarBase(QWidget* parent, const QRect& track, int trackPicture, int disabledThumb, int thumbSpan)
    : QWidget(parent), track_(track), trackPicture_(trackPicture), disabledThumb_(disabledThumb), thumbSpan_(thumbSpan) {
  setMouseTracking(true);
  resize(track.right() + 30, track.bottom() + 2);
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if ((QGuiApplication::mouseButtons() & Qt::LeftButton) == 0) {
      Release();
      return;
    }
    emit TrackChanged(position_);
    if (notifyWhileMoving_) timer_.start(100);
  });
}

void CTrackBarBase::SetRange(int min, int max) {
  if (min >= max) min = max = 0;
  min_ = min;
  max_ = max;
  useFormat_ = true;
  position_ = std::clamp(position_, min_, max_);
  update();
}

void CTrackBarBase::SetPosition(int position) {
  position_ = std::clamp(position, min_, max_);
  repaint();
}

void CTrackBarBase::SetLabelFormat(const QString& format, double scale, bool floating) {
  format_ = format;
  scale_ = scale;
  floating_ = floating;
  useFormat_ = true;
  update();
}

void CTrackBarBase::SetLabels(std::vector<QString> labels) {
  labels_ = std::move(labels);
  useFormat_ = false;
  update();
}

void CTrackBarBase::SetShowLabel(bool show, bool large) {
  showLabel_ = show;
  largeLabel_ = large;
  update();
}

QString CTrackBarBase::LabelText() const {
  if (!useFormat_) {
    return position_ >= 0 && position_ < static_cast<int>(labels_.size()) ? labels_[static_cast<std::size_t>(position_)]
                                                                           : QString();
  }
  if (format_.isEmpty()) return {};
  char text[64];
  const QByteArray format = format_.toLatin1();
  if (floating_) {
    std::snprintf(text, sizeof text, format.constData(), position_ * scale_);
  } else {
    std::snprintf(text, sizeof text, format.constData(), static_cast<int>(position_ * scale_));
  }
  return QString::fromLatin1(text).trimmed();
}

void CTrackBarBase::SetNeighbours(CTrackBarBase* left, CTrackBarBase* right) {
  left_ = left;
  right_ = right;
}

void CTrackBarBase::OnTrackFocus(int state) {
  highlight_ = state;
  update();
}

QRect CTrackBarBase::ThumbRect() const {
  const double share = max_ == min_ ? 0.0 : double(position_ - min_) / (max_ - min_);
  const int x = track_.left() + static_cast<int>(std::lround(share * (track_.width() - thumbSpan_))) -
                kThumbWidth / 2 + (thumbSpan_ == 7 ? 3 : 0);
  return QRect(x, 0, kThumbWidth, kThumbHeight);
}

CTrackBarBase::Part CTrackBarBase::HitTest(const QPoint& p) const {
  if (ThumbRect().adjusted(-1, 0, 1, 0).contains(p)) return kThumb;
  const QRect track(track_.left(), 0, track_.width(), track_.bottom() + 1);
  if (!track.contains(p)) return kNone;
  return p.x() < ThumbRect().left() ? kTrackBefore : kTrackAfter;
}

void CTrackBarBase::MoveTo(int position, bool notify) {
  const int clamped = std::clamp(position, min_, max_);
  const bool changed = clamped != position_;
  position_ = clamped;
  repaint();
  if (notify && changed && !suppress_) emit TrackChanged(position_);
}

void CTrackBarBase::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !isEnabled()) return;
  setFocus();
  // A second press within half a second is taken for a double press and ignored.
  if (lastPress_.isValid() && lastPress_.elapsed() < kDoublePressMs) {
    suppress_ = true;
    return;
  }
  lastPress_.start();
  suppress_ = false;
  pressed_ = true;
  const QPoint p = e->position().toPoint();
  pressX_ = p.x();
  pressY_ = p.y();
  positionAtPress_ = position_;
  const Part part = HitTest(p);
  if (part == kThumb) {
    if (!notifyWhileMoving_) part_ = kThumb;
  } else if ((part == kTrackBefore && position_ > min_) || (part == kTrackAfter && position_ < max_)) {
    part_ = part;
    const int target = min_ + p.x() * (max_ - min_ + 1) / std::max(1, track_.right());
    MoveTo(target, notifyWhileMoving_);
    positionAtPress_ = position_;
    if (notifyWhileMoving_) timer_.start(1000);
    CTrackBarBase* neighbour = part == kTrackBefore ? left_ : right_;
    if (neighbour != nullptr) neighbour->OnTrackFocus(2);
    OnTrackFocus(2);
  }
  repaint();
}

void CTrackBarBase::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (!pressed_) {
    const bool onThumb = ThumbRect().contains(p);
    if (onThumb != hover_) {
      hover_ = onThumb;
      if (!hover_ && !notifyWhileMoving_ && part_ != kNone) {
        emit TrackChanged(position_);
        part_ = kNone;
      }
      update();
    }
    return;
  }
  if (suppress_) return;
  // Dragged far above or below, the thumb goes back to where the drag started.
  int target = positionAtPress_;
  if (std::abs(p.y() - pressY_) <= kDragBand) {
    const double travel = std::max(1, track_.width() - kThumbWidth);
    target = positionAtPress_ + static_cast<int>((p.x() - pressX_) / travel * (max_ - min_));
  }
  MoveTo(target, notifyWhileMoving_);
}

void CTrackBarBase::mouseReleaseEvent(QMouseEvent*) {
  if (suppress_) {
    pressed_ = false;
    return;
  }
  Release();
}

void CTrackBarBase::Release() {
  if (notifyWhileMoving_) {
    timer_.stop();
  } else if (part_ != kNone) {
    emit TrackChanged(position_);
  }
  part_ = kNone;
  OnTrackFocus(-1);
  pressed_ = false;
  repaint();
}

void CTrackBarBase::leaveEvent(QEvent*) {
  hover_ = false;
  if (!notifyWhileMoving_ && part_ != kNone && !pressed_) {
    emit TrackChanged(position_);
    part_ = kNone;
  }
  update();
}

void CTrackBarBase::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kThemeBase);
  DrawPng(p, track_.topLeft(), trackPicture_);
  int thumb = 495;
  if (!isEnabled() && disabledThumb_ != 0) {
    thumb = disabledThumb_;
  } else if (pressed_ || hover_ || highlight_ == 2) {
    thumb = 496;
  }
  DrawPng(p, ThumbRect().topLeft(), thumb);
  if (!showLabel_) return;
  TextItem label;
  label.text = LabelText();
  label.color = kTitleText;
  label.font = QFont(QStringLiteral("DejaVu Sans"), 8);
  const QRect place = largeLabel_ ? QRect(QPoint(175, 0), QPoint(199, 17)) : QRect(QPoint(152, 0), QPoint(176, 13));
  DrawTextItem(p, place, label, kFormatRight | kFormatVCenter | kFormatSingleLine);
}

CMFTrackBar::CMFTrackBar(QWidget* parent) : CTrackBarBase(parent, QRect(QPoint(5, 5), QPoint(147, 28)), 511, 512, 3) {}

}  // namespace cbx::ui
