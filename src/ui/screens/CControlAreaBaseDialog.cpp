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
  // The screen background: a dark vertical gradient.
  QLinearGradient background(0, 0, 0, height());
  background.setColorAt(0, QColor(0x34, 0x34, 0x34));
  background.setColorAt(1, QColor(0x1C, 0x1C, 0x1C));
  p.fillRect(rect(), background);
  PaintContent(p);
}

void CTitledScreen::PaintContent(QPainter& p) {
  TextItem title;
  title.text = title_;
  title.font = QFont(QStringLiteral("DejaVu Sans"), 13, QFont::Bold);
  DrawTextItem(p, QRect(40, 40, 572, 30), title, kFormatLeft | kFormatVCenter | kFormatSingleLine);
}

}  // namespace cbx::ui
