// The look every window shares: the theme colours and the text items of String.txt turned
// into what QPainter draws.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <cstdint>

#include "app/TextResources.h"

namespace cbx::ui {

// Colours are stored as 0xBBGGRR (low byte red), as the text files give them.
inline QColor FromBgr(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

inline const QColor kThemeBase = FromBgr(0x2C2C2C);
inline const QColor kTitleText = FromBgr(0xC8C8C8);
inline const QColor kTitleHighlight = FromBgr(0x42A1E5);

// Drawing flags of a text item: the subset of the platform's text-drawing flags we use.
enum TextFormat : unsigned {
  kFormatLeft = 0,
  kFormatCenter = 1,
  kFormatVCenter = 4,
  kFormatBottom = 8,
  kFormatSingleLine = 32,
  kFormatWordBreak = 16,
  kFormatRight = 2,
  kFormatEndEllipsis = 0x8000,
};

// One text of the text table with its colour and font.
struct TextItem {
  QString text;
  QColor color = kTitleText;
  QFont font;
};

// The item with this id; an id the table lacks gives an empty text in the default look.
TextItem LoadTextItem(const TextTable& texts, int id);
// Draws a text with the drawing flags into a rectangle.
void DrawTextItem(QPainter& painter, const QRect& rect, const TextItem& item, unsigned format);
// The table's text as a QString.
QString Text(const TextTable& texts, int id);

// A PNG resource of the program's artwork by its number; a null image when it is missing
// (painting then skips it).
const QImage& Png(int id);
// Draws a PNG resource at a point, when it exists.
void DrawPng(QPainter& painter, const QPoint& at, int id);

}  // namespace cbx::ui
