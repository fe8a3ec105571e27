#include "ui/controls/CStringItemDrawer.h"

#include <QFontMetrics>

namespace cbx::ui {

void CStringItemDrawer::SetFromId(const TextTable& texts, int id, unsigned format) {
  item_ = LoadTextItem(texts, id);
  format_ = format;
}

QSize CStringItemDrawer::Measure(bool withMargin, int width) const {
  const QFontMetrics metrics(item_.font);
  const int flags = (format_ & kFormatWordBreak) ? Qt::TextWordWrap : 0;
  QSize size = metrics.boundingRect(QRect(0, 0, width, 10000), flags, item_.text).size();
  if (withMargin) {
    const int characterHeight = metrics.ascent() + metrics.descent() - metrics.leading();
    size.rwidth() += 2 * (characterHeight * 20 / 10);
  }
  return size;
}

}  // namespace cbx::ui
