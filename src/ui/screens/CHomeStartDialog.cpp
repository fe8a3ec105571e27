#include "ui/screens/CHomeStartDialog.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace cbx::ui {

namespace {
const QRect kMessage(35, 40, 542, 30);
const QRect kPicture(124, 90, 330, 236);
}  // namespace

CHomeStartDialog::CHomeStartDialog(ScreenContext& context, QWidget* parent) : CControlAreaBaseDialog(context, parent) {
  LayOut();
}

void CHomeStartDialog::LayOut() {
  message_ = LoadTextItem(context_.texts, 1000);
  // A message too wide for one line wraps instead.
  format_ = QFontMetrics(message_.font).horizontalAdvance(message_.text) > 482 ? kFormatWordBreak : kFormatCenter;
}

void CHomeStartDialog::PaintContent(QPainter& p) {
  DrawTextItem(p, kMessage, message_, format_);
  // The connection picture: a dock with its cable.
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF dock(kPicture.left() + 95, kPicture.top() + 120, 140, 70);
  QLinearGradient body(dock.topLeft(), dock.bottomLeft());
  body.setColorAt(0, QColor(0x5A, 0x5A, 0x5A));
  body.setColorAt(1, QColor(0x2A, 0x2A, 0x2A));
  QPainterPath shape;
  shape.addRoundedRect(dock, 10, 10);
  p.fillPath(shape, body);
  p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1.5));
  p.drawPath(shape);
  p.setBrush(QColor(0x18, 0x18, 0x18));
  p.drawEllipse(dock.center() + QPointF(0, -48), 46, 46);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kTitleHighlight, 3, Qt::SolidLine, Qt::RoundCap));
  QPainterPath cable(QPointF(dock.right(), dock.center().y()));
  cable.cubicTo(dock.right() + 60, dock.center().y(), dock.right() + 30, kPicture.bottom() - 10, kPicture.right() - 20,
                kPicture.bottom() - 20);
  p.drawPath(cable);
  p.restore();
}

}  // namespace cbx::ui
