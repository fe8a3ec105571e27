#include "ui/controls/CProgressBarBase.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ui/Theme.h"

namespace cbx::ui {

namespace {
constexpr int kFillWidth = 370;
}

CProgressBarBase::CProgressBarBase(QWidget* parent) : QWidget(parent) { setFixedSize(371, 15); }

void CProgressBarBase::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  position_ = std::clamp(position_, std::min(min_, max_), std::max(min_, max_));
  update();
}

int CProgressBarBase::SetPosition(int position) {
  const int previous = position_;
  position_ = std::clamp(position, std::min(min_, max_), std::max(min_, max_));
  update();
  return previous;
}

void CProgressBarBase::SetLater(int min, int max, int position) {
  QMetaObject::invokeMethod(
      this,
      [this, min, max, position] {
        SetRange(min, max);
        SetPosition(position);
      },
      Qt::QueuedConnection);
}

int CProgressBarBase::FilledWidth() const {
  if (max_ == min_) return 0;
  return static_cast<int>(std::lround(static_cast<double>(position_ - min_) / (max_ - min_) * kFillWidth));
}

void CProgressBarBase::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kThemeBase);
  DrawPng(p, QPoint(0, 0), 500);
  const int w = FilledWidth();
  const QImage& fill = Png(499);
  if (w > 0 && !fill.isNull()) p.drawImage(QPoint(0, 3), fill, QRect(0, 0, w, fill.height()));
}

}  // namespace cbx::ui
