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
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(area.topLeft(), area.bottomLeft());
  sky.setColorAt(0, QColor(0x30, 0x30, 0x32));
  sky.setColorAt(1, QColor(0x0C, 0x0C, 0x0E));
  p.fillRect(area, sky);
  // A lens seen from the front: rings and a glint.
  const QPointF centre(area.left() + 170, area.top() + area.height() / 2.0);
  for (int ring = 0; ring < 5; ++ring) {
    const double r = 96 - ring * 15;
    QRadialGradient glass(centre - QPointF(r / 3, r / 3), r * 1.3);
    glass.setColorAt(0, QColor(0x4A + ring * 8, 0x5A + ring * 8, 0x70 + ring * 10));
    glass.setColorAt(1, QColor(0x08, 0x08, 0x0C));
    p.setBrush(glass);
    p.setPen(QPen(QColor(0x70, 0x70, 0x74), ring == 0 ? 3 : 1));
    p.drawEllipse(centre, r, r);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 70));
  p.drawEllipse(centre + QPointF(-30, -32), 16, 9);
  QFont title(QStringLiteral("DejaVu Sans"), 26, QFont::Bold);
  p.setFont(title);
  p.setPen(QColor(0xF0, 0xF0, 0xF0));
  p.drawText(QRect(area.left() + 300, area.top() + 70, 320, 44), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("ORVANE Calibrix"));
  QFont sub(QStringLiteral("DejaVu Sans"), 11);
  p.setFont(sub);
  p.setPen(kTitleHighlight);
  p.drawText(QRect(area.left() + 302, area.top() + 116, 320, 22), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Lens, dock and flash firmware and settings"));
  if (!version.isEmpty()) {
    p.setPen(QColor(0xA0, 0xA0, 0xA0));
    p.drawText(QRect(area.left() + 302, area.top() + 142, 320, 20), Qt::AlignLeft | Qt::AlignVCenter, version);
  }
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
