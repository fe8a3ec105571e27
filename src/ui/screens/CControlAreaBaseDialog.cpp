#include "ui/screens/CControlAreaBaseDialog.h"

#include <QLinearGradient>
#include <QPainter>

namespace cbx::ui {

CControlAreaBaseDialog::CControlAreaBaseDialog(ScreenContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  setFixedSize(kWidth, kHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CControlAreaBaseDialog::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kThemeBase);
  DrawPng(p, QPoint(0, 0), 431);
  PaintContent(p);
}

void CTitledScreen::PaintContent(QPainter& p) {
  TextItem title;
  title.text = title_;
  title.font = QFont(QStringLiteral("DejaVu Sans"), 13, QFont::Bold);
  DrawTextItem(p, QRect(40, 40, 572, 30), title, kFormatLeft | kFormatVCenter | kFormatSingleLine);
}

}  // namespace cbx::ui
