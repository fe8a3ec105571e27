#include "ui/controls/CBasicButton.h"

#include <QLinearGradient>
#include <QPainterPath>

namespace cbx::ui {

CBasicButton::CBasicButton(const TextItem& label, unsigned format, QWidget* parent)
    : QAbstractButton(parent), label_(label), format_(format) {
  setText(label.text);
  setFocusPolicy(Qt::NoFocus);
}

void CBasicButton::enterEvent(QEnterEvent*) {
  hover_ = true;
  update();
}

void CBasicButton::leaveEvent(QEvent*) {
  hover_ = false;
  update();
}

void CBasicButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient face(r.topLeft(), r.bottomLeft());
  const bool enabled = isEnabled();
  QColor top = enabled ? (isDown() ? QColor(0x30, 0x30, 0x30) : hover_ ? QColor(0x5E, 0x5E, 0x5E) : QColor(0x4A, 0x4A, 0x4A))
                       : QColor(0x38, 0x38, 0x38);
  QColor bottom = top.darker(135);
  face.setColorAt(0, top);
  face.setColorAt(1, bottom);
  QPainterPath path;
  path.addRoundedRect(r, 4, 4);
  p.fillPath(path, face);
  p.setPen(enabled && hover_ ? kTitleHighlight : QColor(0x1A, 0x1A, 0x1A));
  p.drawPath(path);
  TextItem label = label_;
  if (!enabled) label.color = QColor(0x70, 0x70, 0x70);
  DrawTextItem(p, rect().adjusted(6, 0, -6, 0), label, format_);
}

}  // namespace cbx::ui
