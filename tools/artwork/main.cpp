// Draws the program's own artwork (the PNG resources of the windows, at their stated sizes)
// into a folder: calibrix-artwork OUTPUT_FOLDER. The pictures are committed in
// resources/images; run this again after changing a drawing.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>
#include <cstdio>
#include <functional>
#include <map>

namespace {

const QColor kAccent(0xE5, 0xA1, 0x42);  // the highlight of the theme (0x42A1E5 as BBGGRR)

QImage Canvas(int w, int h) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void VerticalGradient(QPainter& p, const QRect& r, QColor top, QColor bottom) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.fillRect(r, g);
}

QImage TopBar() {  // 427
  QImage image = Canvas(902, 61);
  QPainter p(&image);
  VerticalGradient(p, image.rect(), QColor(0x2E, 0x2E, 0x2E), QColor(0x03, 0x03, 0x03));
  p.setPen(QColor(0x48, 0x48, 0x48));
  p.drawLine(0, 0, 902, 0);
  p.setPen(QColor(0x3C, 0x3C, 0x3C));
  p.drawLine(0, 60, 902, 60);
  // A faint accent rule under the title area.
  QLinearGradient rule(294, 0, 794, 0);
  rule.setColorAt(0, QColor(0, 0, 0, 0));
  rule.setColorAt(0.5, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 90));
  rule.setColorAt(1, QColor(0, 0, 0, 0));
  p.fillRect(QRect(294, 44, 500, 1), rule);
  return image;
}

QImage BottomBar() {  // 429
  QImage image = Canvas(902, 37);
  QPainter p(&image);
  VerticalGradient(p, image.rect(), QColor(0x10, 0x10, 0x10), QColor(0x2C, 0x2C, 0x2C));
  p.setPen(QColor(0x3C, 0x3C, 0x3C));
  p.drawLine(0, 0, 902, 0);
  return image;
}

QImage ScreenBackground() {  // 431
  QImage image = Canvas(642, 449);
  QPainter p(&image);
  VerticalGradient(p, image.rect(), QColor(0x36, 0x36, 0x36), QColor(0x1A, 0x1A, 0x1A));
  return image;
}

QImage ListBackground() {  // 418
  QImage image = Canvas(260, 450);
  QPainter p(&image);
  VerticalGradient(p, image.rect(), QColor(0x2E, 0x2E, 0x2E), QColor(0x1C, 0x1C, 0x1C));
  p.setPen(QColor(0x14, 0x14, 0x14));
  p.drawLine(259, 0, 259, 450);
  return image;
}

QImage Connection() {  // 432
  QImage image = Canvas(330, 236);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF dock(95, 120, 140, 70);
  QPainterPath shape;
  shape.addRoundedRect(dock, 10, 10);
  QLinearGradient body(dock.topLeft(), dock.bottomLeft());
  body.setColorAt(0, QColor(0x5E, 0x5E, 0x5E));
  body.setColorAt(1, QColor(0x26, 0x26, 0x26));
  p.fillPath(shape, body);
  p.setPen(QPen(QColor(0x84, 0x84, 0x84), 1.5));
  p.drawPath(shape);
  // The lens mount on top of the dock.
  QRadialGradient mount(dock.center() + QPointF(-12, -60), 60);
  mount.setColorAt(0, QColor(0x4A, 0x55, 0x66));
  mount.setColorAt(1, QColor(0x10, 0x10, 0x14));
  p.setBrush(mount);
  p.setPen(QPen(QColor(0x90, 0x90, 0x94), 2));
  p.drawEllipse(dock.center() + QPointF(0, -48), 46, 46);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x60, 0x60, 0x64), 1));
  p.drawEllipse(dock.center() + QPointF(0, -48), 34, 34);
  p.setPen(QPen(kAccent, 3, Qt::SolidLine, Qt::RoundCap));
  QPainterPath cable(QPointF(dock.right(), dock.center().y()));
  cable.cubicTo(dock.right() + 60, dock.center().y(), dock.right() + 30, 226, 310, 216);
  p.drawPath(cable);
  p.setBrush(QColor(0xB0, 0xB0, 0xB0));
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(QRectF(306, 210, 18, 12), 2, 2);
  return image;
}

QImage Frame() {  // 470
  QImage image = Canvas(586, 367);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath frame;
  frame.addRoundedRect(QRectF(0.5, 0.5, 585, 366), 8, 8);
  p.fillPath(frame, QColor(0x24, 0x24, 0x24, 225));
  p.setPen(QColor(0x4A, 0x4A, 0x4A));
  p.drawPath(frame);
  // The picture well on the left.
  QPainterPath well;
  well.addRoundedRect(QRectF(1, 1, 182, 365), 7, 7);
  QLinearGradient light(0, 0, 0, 367);
  light.setColorAt(0, QColor(0x30, 0x30, 0x30, 200));
  light.setColorAt(1, QColor(0x18, 0x18, 0x18, 200));
  p.fillPath(well, light);
  return image;
}

QImage Lamp(bool lit) {  // 358 lit, 357 dark
  QImage image = Canvas(17, 17);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient glow(QPointF(6.5, 6.5), 9);
  glow.setColorAt(0, lit ? QColor(0xC0, 0xFF, 0xB0) : QColor(0x5A, 0x5A, 0x5A));
  glow.setColorAt(1, lit ? QColor(0x18, 0x9A, 0x2A) : QColor(0x14, 0x14, 0x14));
  p.setBrush(glow);
  p.setPen(QColor(0x0C, 0x0C, 0x0C));
  p.drawEllipse(QRectF(0.5, 0.5, 16, 16));
  return image;
}

QImage DialogBackground(int h) {  // 497 tall, 498 small
  QImage image = Canvas(417, h);
  QPainter p(&image);
  VerticalGradient(p, image.rect(), QColor(0x3C, 0x3C, 0x3C), QColor(0x20, 0x20, 0x20));
  p.setPen(QColor(0x52, 0x52, 0x52));
  p.drawRect(image.rect().adjusted(0, 0, -1, -1));
  QLinearGradient rule(0, 0, 417, 0);
  rule.setColorAt(0, QColor(0, 0, 0, 0));
  rule.setColorAt(0.5, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 140));
  rule.setColorAt(1, QColor(0, 0, 0, 0));
  p.fillRect(QRect(20, 4, 377, 2), rule);
  return image;
}

QImage ProductPicture() {  // 328
  QImage image = Canvas(640, 253);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  VerticalGradient(p, image.rect(), QColor(0x32, 0x32, 0x34), QColor(0x0C, 0x0C, 0x0E));
  const QPointF centre(170, 126.5);
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
  p.setFont(QFont(QStringLiteral("DejaVu Sans"), 26, QFont::Bold));
  p.setPen(QColor(0xF0, 0xF0, 0xF0));
  p.drawText(QRect(300, 70, 320, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ORVANE Calibrix"));
  p.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
  p.setPen(kAccent);
  p.drawText(QRect(302, 116, 330, 22), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Lens, dock and flash firmware and settings"));
  return image;
}

QImage DevicePicture(int h, bool flash) {  // 501 dock (364 x 53), 517 flash (364 x 69)
  QImage image = Canvas(364, h);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF body(4, flash ? 14 : 10, 108, flash ? 44 : 34);
  QPainterPath shape;
  shape.addRoundedRect(body, 6, 6);
  QLinearGradient face(body.topLeft(), body.bottomLeft());
  face.setColorAt(0, QColor(0x66, 0x66, 0x66));
  face.setColorAt(1, QColor(0x22, 0x22, 0x22));
  p.fillPath(shape, face);
  p.setPen(QColor(0x88, 0x88, 0x88));
  p.drawPath(shape);
  if (flash) {
    p.fillRect(QRectF(body.left() + 30, 2, 48, 12), QColor(0xDD, 0xDD, 0xD0));
  } else {
    p.setBrush(QColor(0x14, 0x14, 0x18));
    p.drawEllipse(QPointF(body.center().x(), body.top() + 2), 26, 8);
  }
  p.setPen(QPen(kAccent, 2));
  p.drawLine(QPointF(body.left() + 10, body.bottom() - 6), QPointF(body.right() - 10, body.bottom() - 6));
  return image;
}

QImage Cross(bool hot) {  // 363 red, 364 grey
  QImage image = Canvas(22, 22);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(hot ? QColor(0xE0, 0x3C, 0x32) : QColor(0x9A, 0x9A, 0x9A), 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(7, 7), QPointF(15, 15));
  p.drawLine(QPointF(15, 7), QPointF(7, 15));
  return image;
}

QImage ProgressFrame() {  // 500
  QImage image = Canvas(371, 15);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath frame;
  frame.addRoundedRect(QRectF(0.5, 0.5, 370, 14), 4, 4);
  p.fillPath(frame, QColor(0x14, 0x14, 0x14));
  p.setPen(QColor(0x56, 0x56, 0x56));
  p.drawPath(frame);
  return image;
}

QImage ProgressFill() {  // 499
  QImage image = Canvas(370, 8);
  QPainter p(&image);
  QLinearGradient g(0, 0, 0, 8);
  g.setColorAt(0, kAccent.lighter(125));
  g.setColorAt(1, kAccent.darker(135));
  p.fillRect(QRect(1, 0, 368, 8), g);
  return image;
}

// The history list's thin scroll bar: background, tracks, arrows and thumb pieces.
QImage Solid(int w, int h, QColor top, QColor bottom) {
  QImage image = Canvas(w, h);
  QPainter p(&image);
  VerticalGradient(p, image.rect(), top, bottom);
  return image;
}

QImage Track(int h, bool active) {  // 407 active, 423 inactive
  QImage image = Canvas(19, h);
  QPainter p(&image);
  p.fillRect(image.rect(), QColor(0x1A, 0x1A, 0x1A));
  p.fillRect(QRect(8, 0, 3, h), active ? QColor(0x2C, 0x2C, 0x2C) : QColor(0x22, 0x22, 0x22));
  return image;
}

QImage Arrow(bool up, int state) {  // state 0 normal, 1 pressed, 2 inactive
  QImage image = Canvas(19, 19);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(image.rect(), state == 1 ? QColor(0x3A, 0x3A, 0x3A) : QColor(0x1A, 0x1A, 0x1A));
  QPolygonF arrow;
  if (up) {
    arrow << QPointF(9.5, 6) << QPointF(14, 12.5) << QPointF(5, 12.5);
  } else {
    arrow << QPointF(9.5, 13) << QPointF(14, 6.5) << QPointF(5, 6.5);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(state == 2 ? QColor(0x44, 0x44, 0x44) : state == 1 ? kAccent : QColor(0x9A, 0x9A, 0x9A));
  p.drawPolygon(arrow);
  return image;
}

QImage ThumbPiece(int h, int kind) {  // 0 body, 1 cap above, 2 cap below, 3 grip
  QImage image = Canvas(19, h);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor face(0x6A, 0x6A, 0x6A);
  if (kind == 0) p.fillRect(QRect(5, 0, 9, h), face);
  if (kind == 1) p.fillRect(QRect(6, 0, 7, h), face);
  if (kind == 2) p.fillRect(QRect(6, 0, 7, h), face.darker(115));
  if (kind == 3) {
    p.fillRect(QRect(5, 0, 9, h), face);
    p.setPen(QColor(0x9A, 0x9A, 0x9A));
    for (int y = 8; y <= 16; y += 4) p.drawLine(7, y, 12, y);
  }
  return image;
}

// The sliders: a scale marked minus, zero and plus (493), a tick scale (511), and the thumb.
QImage SliderScale(int w, int h, bool signs) {
  QImage image = Canvas(w, h);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const int axis = 9;
  p.fillRect(QRect(3, axis - 2, w - 6, 4), QColor(0x14, 0x14, 0x14));
  p.setPen(QColor(0x50, 0x50, 0x50));
  p.drawRect(QRect(3, axis - 2, w - 7, 3));
  const int ticks = signs ? 9 : 11;
  p.setPen(QColor(0x8A, 0x8A, 0x8A));
  for (int i = 0; i < ticks; ++i) {
    const int x = 4 + (w - 9) * i / (ticks - 1);
    const int len = (i == 0 || i == ticks - 1 || i == ticks / 2) ? 6 : 3;
    p.drawLine(x, axis + 4, x, axis + 4 + len);
  }
  if (signs) {
    p.setPen(QColor(0xB0, 0xB0, 0xB0));
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 7, QFont::Bold));
    p.drawText(QRect(0, h - 12, 14, 12), Qt::AlignCenter, QStringLiteral("-"));
    p.drawText(QRect(w / 2 - 7, h - 12, 14, 12), Qt::AlignCenter, QStringLiteral("0"));
    p.drawText(QRect(w - 14, h - 12, 14, 12), Qt::AlignCenter, QStringLiteral("+"));
  }
  return image;
}

QImage SliderThumb(int state) {  // 0 normal, 1 highlighted or pressed, 2 disabled
  QImage image = Canvas(9, 14);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath thumb;
  thumb.moveTo(0.5, 0.5);
  thumb.lineTo(8.5, 0.5);
  thumb.lineTo(8.5, 9.5);
  thumb.lineTo(4.5, 13.5);
  thumb.lineTo(0.5, 9.5);
  thumb.closeSubpath();
  const QColor face = state == 1 ? kAccent : state == 2 ? QColor(0x50, 0x50, 0x50) : QColor(0xC8, 0xC8, 0xC8);
  QLinearGradient g(0, 0, 0, 14);
  g.setColorAt(0, face.lighter(115));
  g.setColorAt(1, face.darker(130));
  p.fillPath(thumb, g);
  p.setPen(QColor(0x10, 0x10, 0x10));
  p.drawPath(thumb);
  return image;
}

// The spin control: its two buttons (19 x 20) in four states and its value box (55 x 19).
QImage SpinButton(bool plus, int state) {  // 0 normal, 1 pressed, 2 hover, 3 disabled
  QImage image = Canvas(19, 20);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor top = state == 1 ? QColor(0x2E, 0x2E, 0x2E) : state == 2 ? QColor(0x60, 0x60, 0x60)
                                                          : state == 3 ? QColor(0x38, 0x38, 0x38)
                                                                       : QColor(0x4C, 0x4C, 0x4C);
  QPainterPath face;
  face.addRoundedRect(QRectF(0.5, 0.5, 18, 19), 3, 3);
  QLinearGradient g(0, 0, 0, 20);
  g.setColorAt(0, top);
  g.setColorAt(1, top.darker(140));
  p.fillPath(face, g);
  p.setPen(state == 2 ? kAccent : QColor(0x16, 0x16, 0x16));
  p.drawPath(face);
  p.setPen(QPen(state == 3 ? QColor(0x66, 0x66, 0x66) : QColor(0xE0, 0xE0, 0xE0), 2));
  p.drawLine(QPointF(5, 10), QPointF(14, 10));
  if (plus) p.drawLine(QPointF(9.5, 5.5), QPointF(9.5, 14.5));
  return image;
}

QImage SpinBox() {  // 490
  QImage image = Canvas(55, 19);
  QPainter p(&image);
  p.fillRect(image.rect(), QColor(0x12, 0x12, 0x12));
  p.setPen(QColor(0x4A, 0x4A, 0x4A));
  p.drawRect(image.rect().adjusted(0, 0, -1, -1));
  return image;
}

// The focus limiter's slider: the two handles (13 x 16; handle 1 points down at the track,
// handle 2 up) and the step arrows (20 x 20) at either end of the scale.
QImage LimiterHandle(bool pointsDown, bool hot) {  // 601/602 handle 1, 603/604 handle 2
  QImage image = Canvas(13, 16);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath handle;
  if (pointsDown) {
    handle.addRoundedRect(QRectF(0.5, 0.5, 12, 9), 2, 2);
    handle.moveTo(0.5, 8);
    handle.lineTo(6.5, 15.5);
    handle.lineTo(12.5, 8);
  } else {
    handle.addRoundedRect(QRectF(0.5, 6.5, 12, 9), 2, 2);
    handle.moveTo(0.5, 8);
    handle.lineTo(6.5, 0.5);
    handle.lineTo(12.5, 8);
  }
  handle.setFillRule(Qt::WindingFill);
  const QColor face = hot ? kAccent : QColor(0xD0, 0xD0, 0xD0);
  QLinearGradient g(0, 0, 0, 16);
  g.setColorAt(0, face.lighter(115));
  g.setColorAt(1, face.darker(135));
  p.fillPath(handle.simplified(), g);
  p.setPen(QColor(0x10, 0x10, 0x10));
  p.drawPath(handle.simplified());
  return image;
}

QImage LimiterArrow(bool left, bool pressed) {  // 605/606 left, 607/608 right
  QImage image = Canvas(20, 20);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath face;
  face.addRoundedRect(QRectF(0.5, 0.5, 19, 19), 3, 3);
  const QColor top = pressed ? QColor(0x2E, 0x2E, 0x2E) : QColor(0x4C, 0x4C, 0x4C);
  QLinearGradient g(0, 0, 0, 20);
  g.setColorAt(0, top);
  g.setColorAt(1, top.darker(140));
  p.fillPath(face, g);
  p.setPen(QColor(0x16, 0x16, 0x16));
  p.drawPath(face);
  QPolygonF arrow;
  if (left) {
    arrow << QPointF(6, 10) << QPointF(13, 5) << QPointF(13, 15);
  } else {
    arrow << QPointF(14, 10) << QPointF(7, 5) << QPointF(7, 15);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(pressed ? kAccent : QColor(0xE0, 0xE0, 0xE0));
  p.drawPolygon(arrow);
  return image;
}

// One row of the AF fine-adjustment grid (582 x 32): a caption well and four cells of 125
// pixels from x 78, 126 apart. 611 is a row of the stacked zoom grids, 612 the single grid.
QImage AfGridRow(bool single) {
  QImage image = Canvas(582, 32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(QRect(0, 0, 582, 32), QColor(0x1E, 0x1E, 0x1E, 220));
  VerticalGradient(p, QRect(0, 0, 77, 32), QColor(0x34, 0x34, 0x34), QColor(0x24, 0x24, 0x24));
  for (int k = 0; k < 4; ++k) {
    const QRect cell(78 + 126 * k, 1, 125, 30);
    VerticalGradient(p, cell, QColor(0x2A, 0x2A, 0x2A), QColor(0x18, 0x18, 0x18));
    p.setPen(QColor(0x44, 0x44, 0x44));
    p.drawRect(cell.adjusted(0, 0, -1, -1));
  }
  p.setPen(single ? QColor(0x50, 0x50, 0x50) : QColor(0x38, 0x38, 0x38));
  if (single) {
    p.drawRect(QRect(0, 0, 581, 31));
  } else {
    p.drawLine(0, 31, 581, 31);
  }
  return image;
}

// The text area's small scroll-bar arrows (12 x 11): up and down, normal and pressed.
QImage SmallArrow(bool up, bool pressed) {
  QImage image = Canvas(12, 11);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(image.rect(), pressed ? QColor(0x52, 0x50, 0x51) : QColor(0x6D, 0x6A, 0x6B));
  QPolygonF arrow;
  if (up) {
    arrow << QPointF(6, 3) << QPointF(9.5, 8) << QPointF(2.5, 8);
  } else {
    arrow << QPointF(6, 8) << QPointF(9.5, 3) << QPointF(2.5, 3);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(pressed ? kAccent : QColor(0xE8, 0xE8, 0xE8));
  p.drawPolygon(arrow);
  return image;
}

// The program's icon (128): a lens ring with the accent's arc, 256 x 256.
QImage AppIcon() {
  QImage image = Canvas(256, 256);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath tile;
  tile.addRoundedRect(QRectF(8, 8, 240, 240), 48, 48);
  QLinearGradient face(0, 8, 0, 248);
  face.setColorAt(0, QColor(0x3C, 0x3C, 0x3E));
  face.setColorAt(1, QColor(0x14, 0x14, 0x16));
  p.fillPath(tile, face);
  const QPointF centre(128, 128);
  for (int ring = 0; ring < 4; ++ring) {
    const double r = 84 - ring * 18;
    QRadialGradient glass(centre - QPointF(r / 3, r / 3), r * 1.3);
    glass.setColorAt(0, QColor(0x50 + ring * 10, 0x60 + ring * 10, 0x78 + ring * 12));
    glass.setColorAt(1, QColor(0x08, 0x08, 0x0C));
    p.setBrush(glass);
    p.setPen(QPen(QColor(0x80, 0x80, 0x84), ring == 0 ? 5 : 2));
    p.drawEllipse(centre, r, r);
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kAccent, 12, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(QRectF(30, 30, 196, 196), 30 * 16, 120 * 16);
  return image;
}

// A whole button face of the given height and cap width; the pieces are cut from it.
enum class Face { kNormal, kPressed, kHover };
QImage ButtonFace(int h, int cap, Face face, int indicator) {  // indicator: 0 none, 1 lit, 2 unlit
  const int w = cap * 2 + 10;
  QImage image = Canvas(w, h);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r(0.5, 0.5, w - 1, h - 1);
  QColor top = face == Face::kPressed ? QColor(0x2E, 0x2E, 0x2E) : face == Face::kHover ? QColor(0x60, 0x60, 0x60)
                                                                                       : QColor(0x4C, 0x4C, 0x4C);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, top);
  g.setColorAt(1, top.darker(140));
  QPainterPath path;
  path.addRoundedRect(r, 5, 5);
  p.fillPath(path, g);
  p.setPen(face == Face::kHover ? kAccent : QColor(0x16, 0x16, 0x16));
  p.drawPath(path);
  if (face != Face::kPressed) {
    p.setPen(QColor(255, 255, 255, 28));
    p.drawLine(QPointF(5, 1.5), QPointF(w - 5, 1.5));
  }
  if (indicator != 0) {
    const QPointF c(cap / 2.0 + 1, h / 2.0);
    QRadialGradient dot(c - QPointF(2, 2), 8);
    dot.setColorAt(0, indicator == 1 ? kAccent.lighter(130) : QColor(0x50, 0x50, 0x50));
    dot.setColorAt(1, indicator == 1 ? kAccent.darker(150) : QColor(0x1C, 0x1C, 0x1C));
    p.setBrush(dot);
    p.setPen(QColor(0x10, 0x10, 0x10));
    p.drawEllipse(c, 7, 7);
  }
  return image;
}

void AddButtonPieces(std::map<int, QImage>& out, int h, int cap, int indicator, const int (&normal)[3],
                     const int (&pressed)[3], const int (&hover)[3]) {
  const std::pair<const int(*)[3], Face> sets[] = {{&normal, Face::kNormal}, {&pressed, Face::kPressed},
                                                    {&hover, Face::kHover}};
  for (const auto& [ids, face] : sets) {
    const QImage whole = ButtonFace(h, cap, face, indicator);
    out[(*ids)[0]] = whole.copy(0, 0, cap, h);
    out[(*ids)[1]] = whole.copy(cap, 0, 10, h);
    out[(*ids)[2]] = whole.copy(cap + 10, 0, cap, h);
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: calibrix-artwork OUTPUT_FOLDER\n");
    return 2;
  }
  std::map<int, QImage> images{{427, TopBar()},
                               {429, BottomBar()},
                               {431, ScreenBackground()},
                               {418, ListBackground()},
                               {432, Connection()},
                               {470, Frame()},
                               {357, Lamp(false)},
                               {358, Lamp(true)},
                               {497, DialogBackground(325)},
                               {498, DialogBackground(167)},
                               {328, ProductPicture()},
                               {501, DevicePicture(53, false)},
                               {517, DevicePicture(69, true)},
                               {363, Cross(true)},
                               {364, Cross(false)},
                               {499, ProgressFill()},
                               {500, ProgressFrame()},
                               {369, Solid(19, 448, QColor(0x1C, 0x1C, 0x1C), QColor(0x16, 0x16, 0x16))},
                               {406, Solid(19, 1, QColor(0x10, 0x10, 0x10), QColor(0x10, 0x10, 0x10))},
                               {407, Track(300, true)},
                               {423, Track(448, false)},
                               {424, Solid(19, 2, QColor(0x24, 0x24, 0x24), QColor(0x1C, 0x1C, 0x1C))},
                               {422, Solid(19, 2, QColor(0x1C, 0x1C, 0x1C), QColor(0x24, 0x24, 0x24))},
                               {415, Arrow(true, 0)},
                               {414, Arrow(true, 1)},
                               {426, Arrow(true, 2)},
                               {413, Arrow(false, 0)},
                               {412, Arrow(false, 1)},
                               {425, Arrow(false, 2)},
                               {410, ThumbPiece(300, 0)},
                               {411, ThumbPiece(2, 1)},
                               {408, ThumbPiece(2, 2)},
                               {409, ThumbPiece(24, 3)},
                               {493, SliderScale(207, 33, true)},
                               {511, SliderScale(143, 24, false)},
                               {495, SliderThumb(0)},
                               {496, SliderThumb(1)},
                               {512, SliderThumb(2)},
                               {485, SpinButton(false, 0)},
                               {483, SpinButton(false, 1)},
                               {484, SpinButton(false, 2)},
                               {513, SpinButton(false, 3)},
                               {488, SpinButton(true, 0)},
                               {486, SpinButton(true, 1)},
                               {487, SpinButton(true, 2)},
                               {514, SpinButton(true, 3)},
                               {490, SpinBox()},
                               {128, AppIcon()},
                               {343, SmallArrow(true, false)},
                               {346, SmallArrow(false, false)},
                               {347, SmallArrow(true, true)},
                               {348, SmallArrow(false, true)},
                               {601, LimiterHandle(true, false)},
                               {602, LimiterHandle(true, true)},
                               {603, LimiterHandle(false, false)},
                               {604, LimiterHandle(false, true)},
                               {605, LimiterArrow(true, false)},
                               {606, LimiterArrow(true, true)},
                               {607, LimiterArrow(false, false)},
                               {608, LimiterArrow(false, true)},
                               {611, AfGridRow(false)},
                               {612, AfGridRow(true)}};
  AddButtonPieces(images, 28, 10, 0, {458, 459, 460}, {452, 453, 454}, {455, 456, 457});
  AddButtonPieces(images, 64, 10, 0, {467, 468, 469}, {461, 462, 463}, {464, 465, 466});
  AddButtonPieces(images, 64, 30, 1, {449, 450, 451}, {443, 444, 445}, {446, 447, 474});
  AddButtonPieces(images, 64, 30, 2, {440, 441, 442}, {434, 435, 436}, {437, 473, 439});
  // The horizontal variant of the thin scroll bar (377-400): the vertical pieces turned on
  // their side, in the order background, lines, tracks and strips, arrows, thumb pieces.
  const int vertical[] = {369, 406, 407, 423, 424, 422, 415, 414, 426, 413, 412, 425, 410, 411, 408, 409};
  QTransform turn;
  turn.rotate(-90);
  int horizontal = 377;
  for (const int id : vertical) images[horizontal++] = images.at(id).transformed(turn);
  // The remaining numbers of the range: the hover looks of the arrows and the thumb, which
  // look as their normal pieces do.
  for (const int id : {415, 413, 410, 411, 408, 409, 407, 369}) images[horizontal++] = images.at(id).transformed(turn);
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  folder.mkpath(QStringLiteral("."));
  for (const auto& [id, image] : images) {
    const QString path = folder.filePath(QString::number(id) + QStringLiteral(".png"));
    if (!image.save(path)) {
      std::fprintf(stderr, "calibrix-artwork: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  std::printf("%zu pictures in %s\n", images.size(), argv[1]);
  return 0;
}
