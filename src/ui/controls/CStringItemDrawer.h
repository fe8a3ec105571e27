// A text item of the text table drawn with its colour, font and drawing flags; every
// control that shows a text keeps one.
#pragma once

#include <QSize>

#include "app/TextResources.h"
#include "ui/Theme.h"

namespace cbx::ui {

class CStringItemDrawer {
 public:
  // Text, colour and font of a text id, and the flags to draw it with.
  void SetFromId(const TextTable& texts, int id, unsigned format = 37);
  void SetText(const QString& text) { item_.text = text; }
  void SetColour(const QColor& colour) { item_.color = colour; }
  void SetFormat(unsigned format) { format_ = format; }
  void Draw(QPainter& painter, const QRect& rect) const { DrawTextItem(painter, rect, item_, format_); }
  const QString& GetText() const { return item_.text; }
  const TextItem& Item() const { return item_; }
  unsigned Format() const { return format_; }
  // Width and height drawn with the item's font and flags; with margin the width grows by
  // four character heights.
  QSize Measure(bool withMargin, int width = 10000) const;

 private:
  TextItem item_;
  unsigned format_ = 37;
};

}  // namespace cbx::ui
