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
  DrawPng(p, kPicture.topLeft(), 432);
}

}  // namespace cbx::ui
