#include "ui/controls/CSpinBase.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/Theme.h"

namespace cbx::ui {

namespace {
const QRect kDecrement(QPoint(0, 0), QPoint(18, 19));
const QRect kBox(QPoint(19, 0), QPoint(73, 18));
const QRect kIncrement(QPoint(74, 0), QPoint(93, 19));
}  // namespace

CSpinBase::CSpinBase(QWidget* parent) : QWidget(parent) {
  setFixedSize(94, 20);
  setMouseTracking(true);
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if ((QGuiApplication::mouseButtons() & Qt::LeftButton) == 0) {
      part_ = -1;
      update();
      return;
    }
    if (PartAt(mapFromGlobal(QCursor::pos())) == part_ || part_ == hoverPart_) {
      if (Step()) emit SpinChanged(value_);
    }
    timer_.start(10);
  });
}

void CSpinBase::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  if (value_ != kNoValue) value_ = std::clamp(value_, min_, max_);
  update();
}

void CSpinBase::SetValue(int value) {
  value_ = value == kNoValue ? value : std::clamp(value, min_, max_);
  update();
}

QString CSpinBase::ValueText() const {
  if (value_ == kNoValue) return {};
  return value_ > 0 && plusSign_ ? QStringLiteral("+%1").arg(value_) : QString::number(value_);
}

int CSpinBase::PartAt(const QPoint& p) const {
  if (kDecrement.contains(p)) return 0;
  if (kIncrement.contains(p)) return 1;
  return -1;
}

bool CSpinBase::Step() {
  const int before = value_;
  if (part_ == 0 && value_ > min_) --value_;
  if (part_ == 1 && value_ < max_) ++value_;
  repaint();
  return value_ != before;
}

void CSpinBase::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || value_ == kNoValue || !isEnabled()) return;
  const int part = PartAt(e->position().toPoint());
  if ((part == 0 && value_ <= min_) || (part == 1 && value_ >= max_) || part < 0) return;
  part_ = part;
  hoverPart_ = part;
  Step();
  timer_.start(500);
  emit SpinChanged(value_);
}

void CSpinBase::mouseReleaseEvent(QMouseEvent*) {
  timer_.stop();
  part_ = -1;
  repaint();
}

void CSpinBase::mouseMoveEvent(QMouseEvent* e) {
  const int part = PartAt(e->position().toPoint());
  if (part != hoverPart_) {
    hoverPart_ = part;
    update();
  }
}

void CSpinBase::leaveEvent(QEvent*) {
  hoverPart_ = -1;
  update();
}

void CSpinBase::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kThemeBase);
  const bool held = (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0;
  const auto picture = [&](int part, int normal, int pressed, int hover, int disabled) {
    if (!isEnabled() && disabledPictures_) return disabled;
    if (held && part_ == part && hoverPart_ == part) return pressed;
    if (hoverPart_ == part) return hover;
    return normal;
  };
  DrawPng(p, kDecrement.topLeft(), picture(0, 485, 483, 484, 513));
  DrawPng(p, kBox.topLeft(), 490);
  DrawPng(p, kIncrement.topLeft(), picture(1, 488, 486, 487, 514));
  if (value_ == kNoValue || (!isEnabled() && disabledPictures_)) return;
  TextItem text;
  text.text = ValueText();
  text.color = kTitleText;
  text.font = QFont(QStringLiteral("DejaVu Sans"), 9);
  DrawTextItem(p, kBox, text, kFormatCenter | kFormatSingleLine | kFormatBottom);
}

}  // namespace cbx::ui
