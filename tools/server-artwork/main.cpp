// Draws the product pictures and focus-position scales of the sample update server.
//
//   calibrix-server-artwork SERVER_FOLDER
//
// writes every picture below SERVER_FOLDER (normally demo/server) and prints each path.
// Run it with QT_QPA_PLATFORM=offscreen where there is no display. The focus-position scales
// take their encoder positions from the product information files already in the tree, so
// the pictures always match the data the program reads.
#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "app/IniFile.h"

namespace {

// One look for every picture: a dark ground, light strokes, one soft accent.
const QColor kGround(0x2C, 0x2C, 0x2C);
const QColor kBodyLight(0x4A, 0x4A, 0x4A);
const QColor kBodyDark(0x1A, 0x1A, 0x1A);
const QColor kStroke(0xC8, 0xC8, 0xC8);
const QColor kStrokeDim(0x8C, 0x8C, 0x8C);
const QColor kText(0xE6, 0xE6, 0xE6);
const QColor kAccent(0x7F, 0xB2, 0xD9);

// Product pictures sit at the left of a device home screen; the screen takes their natural size.
constexpr int kProductWidth = 182;
constexpr int kProductHeight = 355;
// The limiter picture carries a 496-pixel scale with a 12-pixel margin on either side.
constexpr int kLimiterWidth = 520;
constexpr int kLimiterHeight = 64;
constexpr double kLimiterMargin = 12.0;
constexpr double kLimiterScale = 496.0;
// The AF picture heads the adjustment grids: a 78-pixel caption column, then four 126-pixel cells.
constexpr int kAfWidth = 582;
constexpr int kAfHeight = 40;

QFont Font(double pixelSize, bool bold = false) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(static_cast<int>(std::lround(pixelSize)));
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

QImage Canvas(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(kGround);
  return image;
}

void Antialias(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
}

// A cylinder seen from slightly above: an upright body between two ellipses whose
// half-height is `tilt` times the radius. Products are drawn from the bottom up, so every
// band covers the top rim of the band below it.
struct Band {
  double yTop;
  double yBottom;
  double radius;
};

class Barrel {
 public:
  Barrel(QPainter& painter, double centreX, double tilt) : p_(painter), cx_(centreX), tilt_(tilt) {}

  double Rim(double radius) const { return radius * tilt_; }

  QPainterPath Side(const Band& b) const {
    const double e = Rim(b.radius);
    QPainterPath path;
    path.moveTo(cx_ - b.radius, b.yTop);
    path.lineTo(cx_ - b.radius, b.yBottom);
    path.arcTo(QRectF(cx_ - b.radius, b.yBottom - e, 2 * b.radius, 2 * e), 180, 180);
    path.lineTo(cx_ + b.radius, b.yTop);
    path.arcTo(QRectF(cx_ - b.radius, b.yTop - e, 2 * b.radius, 2 * e), 0, -180);
    path.closeSubpath();
    return path;
  }

  // The body with cylinder shading and a light outline.
  void Body(const Band& b, QColor light = kBodyLight, QColor dark = kBodyDark) {
    QLinearGradient shade(cx_ - b.radius, 0, cx_ + b.radius, 0);
    shade.setColorAt(0.0, dark);
    shade.setColorAt(0.28, light);
    shade.setColorAt(0.45, light.darker(115));
    shade.setColorAt(1.0, dark.darker(130));
    p_.setBrush(shade);
    p_.setPen(QPen(kStrokeDim, 1.0));
    p_.drawPath(Side(b));
  }

  // Ribs of a grip ring: vertical lines spaced evenly around the circumference, so they
  // crowd together towards the edges as on a real ring.
  void Ribs(const Band& b, int count, QColor colour = QColor(0x0E, 0x0E, 0x0E)) {
    p_.setPen(QPen(colour, 1.2));
    for (int i = 1; i < count; ++i) {
      const double angle = -std::numbers::pi / 2 + std::numbers::pi * i / count;
      const double dx = b.radius * std::sin(angle);
      const double drop = Rim(b.radius) * std::cos(angle);
      p_.drawLine(QPointF(cx_ + dx, b.yTop + drop + 1.5), QPointF(cx_ + dx, b.yBottom + drop - 1.5));
    }
  }

  // A thin coloured line running round the body at height y.
  void Ring(double y, double radius, QColor colour, double width) {
    const double e = Rim(radius);
    QPainterPath arc;
    arc.moveTo(cx_ - radius, y);
    arc.arcTo(QRectF(cx_ - radius, y - e, 2 * radius, 2 * e), 180, 180);
    p_.setBrush(Qt::NoBrush);
    p_.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    p_.drawPath(arc);
  }

  // The flat top of a band: a full ellipse, optionally with a dark hole of `innerRadius`.
  void Top(double y, double radius, double innerRadius = 0.0) {
    const double e = Rim(radius);
    QLinearGradient face(cx_, y - e, cx_, y + e);
    face.setColorAt(0.0, QColor(0x55, 0x55, 0x55));
    face.setColorAt(1.0, QColor(0x30, 0x30, 0x30));
    p_.setBrush(face);
    p_.setPen(QPen(kStroke, 1.0));
    p_.drawEllipse(QPointF(cx_, y), radius, e);
    if (innerRadius > 0) {
      p_.setBrush(QColor(0x10, 0x10, 0x10));
      p_.setPen(QPen(kStrokeDim, 1.0));
      p_.drawEllipse(QPointF(cx_, y), innerRadius, Rim(innerRadius));
    }
  }

  // Front glass: deep blue-grey with a coating sheen and a highlight.
  void Glass(double y, double radius) {
    const double e = Rim(radius);
    QRadialGradient glass(QPointF(cx_ - radius * 0.25, y - e * 0.3), radius * 1.1);
    glass.setColorAt(0.0, QColor(0x3C, 0x4E, 0x62));
    glass.setColorAt(0.55, QColor(0x1A, 0x24, 0x30));
    glass.setColorAt(1.0, QColor(0x08, 0x0C, 0x10));
    p_.setBrush(glass);
    p_.setPen(QPen(QColor(0x05, 0x05, 0x05), 1.5));
    p_.drawEllipse(QPointF(cx_, y), radius, e);
    p_.setBrush(Qt::NoBrush);
    p_.setPen(QPen(QColor(0x9F, 0x8A, 0xD0, 110), 2.0));
    p_.drawArc(QRectF(cx_ - radius * 0.7, y - e * 0.7, radius * 1.4, e * 1.4), 30 * 16, 70 * 16);
    p_.setPen(QPen(QColor(0xFF, 0xFF, 0xFF, 150), 1.5));
    p_.drawArc(QRectF(cx_ - radius * 0.55, y - e * 0.55, radius * 1.1, e * 1.1), 110 * 16, 45 * 16);
  }

  // Text printed on the front of the body.
  void Print(double y, const QString& text, double size, QColor colour = kStroke, bool bold = false) {
    p_.setFont(Font(size, bold));
    p_.setPen(colour);
    p_.drawText(QRectF(cx_ - 80, y - size, 160, size * 2), Qt::AlignCenter, text);
  }

  // Bayonet lugs below the mount flange.
  void Lugs(double y, double radius) {
    p_.setPen(QPen(kStrokeDim, 1.0));
    p_.setBrush(QColor(0x9A, 0x9A, 0x9A));
    const double e = Rim(radius);
    for (double dx : {-0.62, 0.0, 0.62}) {
      const double x = cx_ + dx * radius;
      const double drop = e * std::sqrt(1 - dx * dx);
      p_.drawRoundedRect(QRectF(x - radius * 0.18, y + drop - 2, radius * 0.36, 6), 1.5, 1.5);
    }
  }

 private:
  QPainter& p_;
  double cx_;
  double tilt_;
};

// A metal mount flange: a bright short band with lugs.
void MountFlange(Barrel& barrel, double yTop, double radius) {
  const Band flange{yTop, yTop + 10, radius};
  barrel.Lugs(flange.yBottom, radius * 0.92);
  barrel.Body(flange, QColor(0xB4, 0xB4, 0xB4), QColor(0x55, 0x55, 0x55));
}

void Caption(QPainter& p, const QString& line1, const QString& line2) {
  p.setPen(kText);
  p.setFont(Font(13, true));
  p.drawText(QRectF(0, kProductHeight - 46, kProductWidth, 20), Qt::AlignCenter, line1);
  p.setPen(kStrokeDim);
  p.setFont(Font(11));
  p.drawText(QRectF(0, kProductHeight - 26, kProductWidth, 18), Qt::AlignCenter, line2);
}

// Lens shapes, bottom (mount) to top (front). Every y below is in product-picture pixels.
QImage ZoomLens(const QString& caption) {
  QImage image = Canvas(kProductWidth, kProductHeight);
  QPainter p(&image);
  Antialias(p);
  Barrel b(p, 91, 0.24);
  MountFlange(b, 262, 40);
  b.Body({222, 262, 44});
  b.Body({160, 222, 46}, QColor(0x2E, 0x2E, 0x2E), QColor(0x10, 0x10, 0x10));
  b.Ribs({160, 222, 46}, 44);
  b.Body({130, 160, 47});
  b.Print(145, QStringLiteral("24   35   50   70"), 9);
  b.Body({80, 130, 49}, QColor(0x2E, 0x2E, 0x2E), QColor(0x10, 0x10, 0x10));
  b.Ribs({80, 130, 49}, 48);
  b.Body({42, 80, 52});
  b.Ring(77, 52, kAccent, 1.6);
  b.Print(67, QStringLiteral("ORVANE"), 9, kText, true);
  b.Top(42, 52);
  b.Glass(42, 43);
  Caption(p, caption, QStringLiteral("Zoom lens"));
  return image;
}

QImage PrimeLens(const QString& caption) {
  QImage image = Canvas(kProductWidth, kProductHeight);
  QPainter p(&image);
  Antialias(p);
  Barrel b(p, 91, 0.24);
  MountFlange(b, 262, 40);
  b.Body({230, 262, 45});
  b.Body({190, 230, 50});
  b.Print(211, QStringLiteral("ORVANE"), 9, kText, true);
  b.Body({120, 190, 56}, QColor(0x2E, 0x2E, 0x2E), QColor(0x10, 0x10, 0x10));
  b.Ribs({120, 190, 56}, 54);
  b.Body({74, 120, 60});
  b.Ring(116, 60, kAccent, 1.6);
  b.Print(103, QStringLiteral("\u221E  5  2  1.2  0.85m"), 8, kStrokeDim);
  b.Top(74, 60);
  b.Glass(74, 52);
  Caption(p, caption, QStringLiteral("Prime lens"));
  return image;
}

QImage WideLens(const QString& caption) {
  QImage image = Canvas(kProductWidth, kProductHeight);
  QPainter p(&image);
  Antialias(p);
  Barrel b(p, 91, 0.26);
  MountFlange(b, 262, 40);
  b.Body({226, 262, 44});
  b.Print(244, QStringLiteral("ORVANE"), 9, kText, true);
  b.Body({170, 226, 48}, QColor(0x2E, 0x2E, 0x2E), QColor(0x10, 0x10, 0x10));
  b.Ribs({170, 226, 48}, 46);
  b.Body({144, 170, 52});
  b.Ring(166, 52, kAccent, 1.6);
  // Built-in hood: a wide shallow collar round the domed front element.
  b.Body({104, 144, 66}, QColor(0x36, 0x36, 0x36), QColor(0x12, 0x12, 0x12));
  b.Top(104, 66, 52);
  b.Glass(110, 38);
  Caption(p, caption, QStringLiteral("Wide-angle lens"));
  return image;
}

QImage CineLens(const QString& caption) {
  QImage image = Canvas(kProductWidth, kProductHeight);
  QPainter p(&image);
  Antialias(p);
  Barrel b(p, 91, 0.22);
  MountFlange(b, 262, 42);
  b.Body({72, 262, 50});
  // Geared rings for follow-focus and iris: teeth stand out of the body.
  for (const Band& gear : {Band{196, 222, 56}, Band{118, 158, 56}}) {
    b.Body(gear, QColor(0x3A, 0x3A, 0x3A), QColor(0x12, 0x12, 0x12));
    b.Ribs(gear, 60, QColor(0x06, 0x06, 0x06));
  }
  b.Print(239, QStringLiteral("T1.5   2   2.8   4   5.6"), 8, kStrokeDim);
  b.Print(177, QStringLiteral("ORVANE  CINE"), 9, kText, true);
  b.Print(98, QStringLiteral("\u221E  10  5  3  2  1.5 ft"), 8, QColor(0xE0, 0xC8, 0x60));
  b.Body({40, 72, 60});
  b.Ring(68, 60, kAccent, 1.6);
  b.Top(40, 60);
  b.Glass(40, 46);
  Caption(p, caption, QStringLiteral("Cine lens"));
  return image;
}

QImage MountConverter(const QString& caption) {
  QImage image = Canvas(kProductWidth, kProductHeight);
  QPainter p(&image);
  Antialias(p);
  Barrel b(p, 91, 0.3);
  MountFlange(b, 236, 44);
  b.Body({176, 236, 50});
  b.Ring(222, 50, kAccent, 1.6);
  b.Print(200, QStringLiteral("ORVANE  MC"), 9, kText, true);
  // Release button on the side.
  p.setPen(QPen(kStrokeDim, 1.0));
  p.setBrush(QColor(0x60, 0x60, 0x60));
  p.drawRoundedRect(QRectF(91 + 50 - 4, 186, 10, 20), 3, 3);
  b.Body({150, 176, 58}, QColor(0xA8, 0xA8, 0xA8), QColor(0x50, 0x50, 0x50));
  b.Top(150, 58, 44);
  // Contact pins on the lens-side flange.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xD8, 0xB8, 0x60));
  for (int i = 0; i < 8; ++i) {
    const double angle = std::numbers::pi * (0.62 + 0.035 * i);
    p.drawEllipse(QPointF(91 + 51 * std::cos(angle), 150 + 51 * 0.3 * std::sin(angle)), 1.6, 1.2);
  }
  Caption(p, caption, QStringLiteral("Mount converter"));
  return image;
}

QImage FlashUnit(const QString& caption) {
  QImage image = Canvas(kProductWidth, kProductHeight);
  QPainter p(&image);
  Antialias(p);
  auto box = [&p](const QRectF& r, double depth, QColor light, QColor dark) {
    QPainterPath top;
    top.moveTo(r.topLeft());
    top.lineTo(r.left() + depth, r.top() - depth * 0.6);
    top.lineTo(r.right() + depth, r.top() - depth * 0.6);
    top.lineTo(r.topRight());
    top.closeSubpath();
    QPainterPath side;
    side.moveTo(r.topRight());
    side.lineTo(r.right() + depth, r.top() - depth * 0.6);
    side.lineTo(r.right() + depth, r.bottom() - depth * 0.6);
    side.lineTo(r.bottomRight());
    side.closeSubpath();
    p.setPen(QPen(kStrokeDim, 1.0));
    p.setBrush(light.lighter(115));
    p.drawPath(top);
    p.setBrush(dark);
    p.drawPath(side);
    QLinearGradient face(r.left(), 0, r.right(), 0);
    face.setColorAt(0.0, dark);
    face.setColorAt(0.3, light);
    face.setColorAt(1.0, dark);
    p.setBrush(face);
    p.drawRoundedRect(r, 3, 3);
  };
  // Foot and shoe.
  box(QRectF(66, 268, 44, 14), 6, QColor(0x9A, 0x9A, 0x9A), QColor(0x50, 0x50, 0x50));
  // Body with its panel.
  box(QRectF(48, 150, 80, 118), 14, kBodyLight, kBodyDark);
  p.setPen(QPen(kStrokeDim, 1.0));
  p.setBrush(QColor(0x7A, 0x20, 0x20));
  p.drawRoundedRect(QRectF(62, 178, 52, 40), 5, 5);
  p.setPen(QPen(kAccent, 1.6));
  p.drawLine(QPointF(52, 236), QPointF(124, 236));
  p.setFont(Font(9, true));
  p.setPen(kText);
  p.drawText(QRectF(48, 240, 80, 16), Qt::AlignCenter, QStringLiteral("ORVANE"));
  // Neck and head.
  box(QRectF(70, 128, 36, 22), 10, QColor(0x3A, 0x3A, 0x3A), kBodyDark);
  box(QRectF(34, 52, 108, 76), 18, kBodyLight, kBodyDark);
  // Fresnel window: a warm pane with fine horizontal lines.
  const QRectF window(44, 62, 88, 56);
  QLinearGradient pane(window.topLeft(), window.bottomLeft());
  pane.setColorAt(0.0, QColor(0xF2, 0xEE, 0xE0));
  pane.setColorAt(1.0, QColor(0xB8, 0xB2, 0xA0));
  p.setBrush(pane);
  p.setPen(QPen(QColor(0x10, 0x10, 0x10), 2.0));
  p.drawRoundedRect(window, 4, 4);
  p.setPen(QPen(QColor(0x90, 0x8A, 0x78, 160), 1.0));
  for (double y = window.top() + 5; y < window.bottom() - 2; y += 4.5) {
    p.drawLine(QPointF(window.left() + 3, y), QPointF(window.right() - 3, y));
  }
  Caption(p, caption, QStringLiteral("Flash"));
  return image;
}

// The focus-limiter picture: a distance scale whose marks stand where the lens's encoder
// positions put them (position 0 at the right end, the last position at the left).
QImage LimiterScale(const std::vector<double>& positions, const std::vector<QString>& labels) {
  QImage image = Canvas(kLimiterWidth, kLimiterHeight);
  QPainter p(&image);
  Antialias(p);
  const double baseline = 44;
  const double last = positions.back();
  auto xOf = [&](double position) { return kLimiterMargin + kLimiterScale - position * kLimiterScale / last; };

  QLinearGradient track(0, baseline - 3, 0, baseline + 3);
  track.setColorAt(0.0, QColor(0x1A, 0x1A, 0x1A));
  track.setColorAt(1.0, QColor(0x44, 0x44, 0x44));
  p.setPen(QPen(kStrokeDim, 1.0));
  p.setBrush(track);
  p.drawRoundedRect(QRectF(kLimiterMargin - 4, baseline - 3, kLimiterScale + 8, 6), 3, 3);

  // The stops a slider handle can take: both ends and the midpoints between marks.
  p.setPen(Qt::NoPen);
  p.setBrush(kAccent);
  for (std::size_t i = 0; i <= positions.size(); ++i) {
    double x = kLimiterMargin;
    if (i == 0) {
      x = kLimiterMargin + kLimiterScale;
    } else if (i < positions.size()) {
      x = (xOf(positions[i - 1]) + xOf(positions[i])) / 2;
    }
    QPainterPath notch;
    notch.moveTo(x, baseline + 5);
    notch.lineTo(x - 3.5, baseline + 11);
    notch.lineTo(x + 3.5, baseline + 11);
    notch.closeSubpath();
    p.drawPath(notch);
  }

  p.setFont(Font(11));
  for (std::size_t i = 0; i < positions.size(); ++i) {
    const double x = xOf(positions[i]);
    p.setPen(QPen(kStroke, 1.4));
    p.drawLine(QPointF(x, baseline - 9), QPointF(x, baseline - 3));
    p.setPen(kText);
    const QString label = i == 0 ? labels[i] + QStringLiteral(" m") : labels[i];
    p.drawText(QRectF(x - 24, 8, 48, 20), Qt::AlignHCenter | Qt::AlignBottom, label);
  }
  return image;
}

// The AF adjustment header: one cell per distance zone over the grids' four columns.
QImage AfScale(const std::array<QString, 4>& zones) {
  QImage image = Canvas(kAfWidth, kAfHeight);
  QPainter p(&image);
  Antialias(p);
  p.setPen(kText);
  p.setFont(Font(12, true));
  p.drawText(QRectF(0, 0, 78, kAfHeight), Qt::AlignCenter, QStringLiteral("AF"));
  p.setPen(QPen(kAccent, 1.6));
  p.drawLine(QPointF(22, kAfHeight - 8), QPointF(56, kAfHeight - 8));
  for (int k = 0; k < 4; ++k) {
    const QRectF cell(78 + 126 * k + 0.5, 4.5, 125, kAfHeight - 9);
    QLinearGradient fill(cell.topLeft(), cell.bottomLeft());
    fill.setColorAt(0.0, QColor(0x46, 0x46, 0x46));
    fill.setColorAt(1.0, QColor(0x34, 0x34, 0x34));
    p.setBrush(fill);
    p.setPen(QPen(kStrokeDim, 1.0));
    p.drawRoundedRect(cell, 4, 4);
    p.setPen(kText);
    p.setFont(Font(11));
    p.drawText(cell, Qt::AlignCenter, zones[static_cast<std::size_t>(k)]);
  }
  return image;
}

// What the lens product folders say about their encoder positions.
std::vector<double> EncoderPositions(const QString& productFile) {
  const std::string text =
      cbx::ReadIniValue("Lens Config", "EncoderPosition", "", productFile.toStdString());
  std::vector<double> positions;
  for (const QString& token : QString::fromStdString(text).split(u',', Qt::SkipEmptyParts)) {
    positions.push_back(token.toDouble());
  }
  return positions;
}

struct Scale {
  QString productFile;              // relative to the server folder
  std::vector<QString> distances;   // one label per encoder position, nearest first
  std::array<QString, 4> zones;     // AF columns, left to right
};

struct Picture {
  QString path;  // relative to the server folder
  std::function<QImage(const QString& server)> draw;
};

std::function<QImage(const QString&)> Fixed(QImage (*draw)(const QString&), QString caption) {
  return [draw, caption](const QString&) { return draw(caption); };
}

std::vector<Picture> Pictures() {
  const Scale zoom{QStringLiteral("4A1/KV/0123/updateInfo.ini"),
                   {"0.38", "0.5", "0.7", "1", "1.5", "2", "3", "5", "10", "\u221E"},
                   {"\u221E \u2013 5 m", "5 \u2013 1.5 m", "1.5 \u2013 0.7 m", "0.7 \u2013 0.38 m"}};
  const Scale prime{QStringLiteral("A27/KV/0123/updateInfo.ini"),
                    {"0.85", "1", "1.2", "1.5", "2", "3", "5", "10", "\u221E"},
                    {"\u221E \u2013 5 m", "5 \u2013 2 m", "2 \u2013 1.2 m", "1.2 \u2013 0.85 m"}};
  const Scale adapted{QStringLiteral("89S/SE/0161/updateInfo.ini"),
                      {"0.45", "0.7", "1", "1.5", "2", "3", "5", "10", "\u221E"},
                      {"\u221E \u2013 5 m", "5 \u2013 1.5 m", "1.5 \u2013 0.7 m", "0.7 \u2013 0.45 m"}};

  std::vector<Picture> pictures = {
      {QStringLiteral("4A1/Image/lensImage.png"), Fixed(ZoomLens, QStringLiteral("24-70mm F2.8"))},
      {QStringLiteral("A27/Image/lensImage.png"), Fixed(PrimeLens, QStringLiteral("85mm F1.4"))},
      {QStringLiteral("B15/Image/lensImage.png"), Fixed(WideLens, QStringLiteral("16mm F1.8"))},
      {QStringLiteral("C12/Image/CinelensImage.png"), Fixed(CineLens, QStringLiteral("50mm T1.5"))},
      {QStringLiteral("89S/Image/AdapterImage.png"), Fixed(MountConverter, QStringLiteral("MC-SE"))},
      {QStringLiteral("F31/Image/FlashImage.png"), Fixed(FlashUnit, QStringLiteral("FL-60"))},
  };
  for (const Scale& scale : {zoom, prime, adapted}) {
    const QString folder = scale.productFile.section(u'/', 0, 0) + QStringLiteral("/Image/");
    pictures.push_back({folder + QStringLiteral("focusPosition_FC.png"),
                        [scale](const QString&) { return AfScale(scale.zones); }});
    pictures.push_back({folder + QStringLiteral("focusPosition_FL.png"), [scale](const QString& server) {
                          const std::vector<double> positions = EncoderPositions(server + u'/' + scale.productFile);
                          if (positions.size() != scale.distances.size() || positions.back() <= 0) return QImage();
                          return LimiterScale(positions, scale.distances);
                        }});
  }
  return pictures;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: calibrix-server-artwork SERVER_FOLDER\n");
    return 2;
  }
  const QString server = QString::fromLocal8Bit(argv[1]);
  if (!QFileInfo(server).isDir()) {
    std::fprintf(stderr, "calibrix-server-artwork: %s is not a folder\n", argv[1]);
    return 1;
  }
  for (const Picture& picture : Pictures()) {
    const QString path = server + u'/' + picture.path;
    const QImage image = picture.draw(server);
    if (image.isNull()) {
      std::fprintf(stderr, "calibrix-server-artwork: %s: the encoder positions do not match its scale\n",
                   qPrintable(path));
      return 1;
    }
    if (!QDir().mkpath(QFileInfo(path).path()) || !image.save(path, "PNG")) {
      std::fprintf(stderr, "calibrix-server-artwork: cannot write %s\n", qPrintable(path));
      return 1;
    }
    std::printf("%s\n", qPrintable(path));
  }
  return 0;
}
