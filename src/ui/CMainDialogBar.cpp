#include "ui/CMainDialogBar.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include "ui/controls/CBasicButton.h"

namespace cbx::ui {

CMainDialogBar::CMainDialogBar(const TextTable& texts, QWidget* parent) : QWidget(parent) {
  setFixedSize(912, 60);
  web_ = new CBasicButton(LoadTextItem(texts, 201), 37, this);
  web_->setGeometry(45, 10, 165, 28);
  // No dock yet: the title says so.
  title_ = LoadTextItem(texts, 200);
  title_.color = kTitleText;
}

void CMainDialogBar::SetTitle(const QString& title, bool highlighted) {
  title_.text = title;
  title_.color = highlighted ? kTitleHighlight : kTitleText;
  update();
}

void CMainDialogBar::SetDockConnected(bool connected) {
  connected_ = connected;
  update();
}

void CMainDialogBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient background(0, 0, 0, height());
  background.setColorAt(0, QColor(0x2A, 0x2A, 0x2A));
  background.setColorAt(1, QColor(0x03, 0x03, 0x03));
  p.fillRect(rect(), background);
  p.setPen(QColor(0x3C, 0x3C, 0x3C));
  p.drawLine(0, height() - 1, width(), height() - 1);
  DrawTextItem(p, QRect(294, 10, 500, 30), title_, 37);
  // The lamp: lit green while a dock is connected, dark otherwise.
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF lamp(width() - 31, 15, 17, 17);
  QRadialGradient glow(lamp.center() - QPointF(2, 2), 9);
  glow.setColorAt(0, connected_ ? QColor(0xB0, 0xFF, 0xA0) : QColor(0x50, 0x50, 0x50));
  glow.setColorAt(1, connected_ ? QColor(0x20, 0xA0, 0x30) : QColor(0x18, 0x18, 0x18));
  p.setBrush(glow);
  p.setPen(QColor(0x10, 0x10, 0x10));
  p.drawEllipse(lamp);
}

CMainDialogBarBottom::CMainDialogBarBottom(QWidget* parent) : QWidget(parent) { setFixedSize(912, 45); }

void CMainDialogBarBottom::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient background(0, 0, 0, height());
  background.setColorAt(0, QColor(0x10, 0x10, 0x10));
  background.setColorAt(1, QColor(0x2C, 0x2C, 0x2C));
  p.fillRect(rect(), background);
  p.setPen(QColor(0x3C, 0x3C, 0x3C));
  p.drawLine(0, 0, width(), 0);
}

}  // namespace cbx::ui
