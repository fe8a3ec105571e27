#include "ui/controls/CLHScrollBarBase.h"

#include <QGuiApplication>
#include <QPainter>

#include "ui/Theme.h"

namespace cbx::ui {

void CLHScrollBarBase::paintEvent(QPaintEvent*) {
  QPainter p(this);
  DrawPng(p, QPoint(0, 0), 369);
  const int top = TrackTop(), bottom = TrackBottom();
  if (active_) {
    const QImage& track = Png(407);
    if (!track.isNull()) p.drawImage(QRect(0, top, kWidth, bottom - top), track);
    DrawPng(p, QPoint(0, 0), 406);
    DrawPng(p, QPoint(0, height() - 1), 406);
  } else {
    const QImage& track = Png(423);
    if (!track.isNull()) p.drawImage(QRect(0, 0, kWidth, height()), track);
    DrawPng(p, QPoint(0, top), 424);
    DrawPng(p, QPoint(0, bottom - 2), 422);
  }
  const bool held = (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0;
  DrawPng(p, QPoint(0, 0), !active_ ? 426 : (held && Pressed() == kUpArrow) ? 414 : 415);
  DrawPng(p, QPoint(0, bottom), !active_ ? 425 : (held && Pressed() == kDownArrow) ? 412 : 413);
  if (!active_) return;
  const QRect thumb(0, ThumbRect().top(), kWidth, ThumbRect().height());
  const QImage& body = Png(410);
  if (!body.isNull()) p.drawImage(thumb, body);
  DrawPng(p, QPoint(0, thumb.top() - 2), 411);
  DrawPng(p, QPoint(0, thumb.bottom() + 1), 408);
  if (thumb.height() > 12) DrawPng(p, QPoint(0, thumb.center().y() - 12), 409);
}

}  // namespace cbx::ui
