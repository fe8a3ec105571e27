#include "ui/CSplashWnd.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScreen>
#include <QTimer>

#include "ui/Theme.h"

namespace cbx::ui {

void PaintProductPicture(QPainter& p, const QRect& area, const QString& version) {
  DrawPng(p, area.topLeft(), 328);
  if (version.isEmpty()) return;
  p.save();
  p.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
  p.setPen(QColor(0xA0, 0xA0, 0xA0));
  p.drawText(QRect(area.left() + 302, area.top() + 142, 320, 20), Qt::AlignLeft | Qt::AlignVCenter, version);
  p.restore();
}

CSplashWnd::CSplashWnd(const QString& version, std::function<void()> closed)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), version_(version), closed_(std::move(closed)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(640, 253);
  setCursor(Qt::ArrowCursor);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
  QTimer::singleShot(kShowMs, this, [this] {
    if (closed_) closed_();
    close();
  });
}

void CSplashWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  PaintProductPicture(p, rect(), version_);
}

}  // namespace cbx::ui
