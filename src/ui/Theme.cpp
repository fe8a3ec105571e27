#include "ui/Theme.h"

#include <QFontMetrics>
#include <map>
#include <mutex>

namespace cbx::ui {

TextItem LoadTextItem(const TextTable& texts, int id) {
  TextItem item;
  item.font = QFont(QStringLiteral("DejaVu Sans"), 10);
  std::string text;
  FontSpec font;
  std::uint32_t color = 0;
  if (!texts.GetText(static_cast<std::uint32_t>(id), text, &font, &color)) return item;
  item.text = QString::fromStdString(text);
  if (color != 0) item.color = FromBgr(color);
  if (!font.face.empty()) {
    item.font = QFont(QString::fromStdString(font.face));
    if (font.pointSize > 0) item.font.setPointSize(font.pointSize);
    item.font.setBold(font.weight >= kFontWeightBold);
  }
  return item;
}

QString Text(const TextTable& texts, int id) {
  std::string text;
  texts.GetText(static_cast<std::uint32_t>(id), text);
  return QString::fromStdString(text);
}

void DrawTextItem(QPainter& painter, const QRect& rect, const TextItem& item, unsigned format) {
  if (item.text.isEmpty()) return;
  // A single line too wide for its place is drawn from the left and cut with an ellipsis.
  if ((format & kFormatSingleLine) && QFontMetrics(item.font).horizontalAdvance(item.text) > rect.width()) {
    format = (format & ~(kFormatCenter | kFormatRight)) | kFormatEndEllipsis;
  }
  int flags = 0;
  flags |= (format & kFormatCenter) ? Qt::AlignHCenter : (format & kFormatRight) ? Qt::AlignRight : Qt::AlignLeft;
  flags |= (format & kFormatVCenter) ? Qt::AlignVCenter : (format & kFormatBottom) ? Qt::AlignBottom : Qt::AlignTop;
  if (format & kFormatWordBreak) flags |= Qt::TextWordWrap;
  painter.save();
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setFont(item.font);
  painter.setPen(item.color);
  QString text = item.text;
  if (format & kFormatEndEllipsis) text = QFontMetrics(item.font).elidedText(text, Qt::ElideRight, rect.width());
  painter.drawText(rect, flags, text);
  painter.restore();
}

const QImage& Png(int id) {
  // Loaded once: the pictures are small and every screen paints them often.
  static std::map<int, QImage> cache;
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  auto it = cache.find(id);
  if (it == cache.end()) it = cache.emplace(id, QImage(QStringLiteral(":/images/%1.png").arg(id))).first;
  return it->second;
}

void DrawPng(QPainter& painter, const QPoint& at, int id) {
  const QImage& image = Png(id);
  if (!image.isNull()) painter.drawImage(at, image);
}

}  // namespace cbx::ui
