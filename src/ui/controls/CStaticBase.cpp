#include "ui/controls/CStaticBase.h"

#include <QPainter>

namespace cbx::ui {

CStaticBase::CStaticBase(const QRect& place, QWidget* parent) : QWidget(parent) {
  // Not filled: the parent's picture shows behind the text, as a captured background would.
  setGeometry(place);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CStaticBase::SetTextFromId(const TextTable& texts, int id, unsigned format, bool repaintNow) {
  drawer_.SetFromId(texts, id, format);
  textMode_ = true;
  repaintNow ? repaint() : update();
}

void CStaticBase::SetText(const QString& text, bool repaintNow) {
  drawer_.SetText(text);
  textMode_ = true;
  repaintNow ? repaint() : update();
}

void CStaticBase::SetIcon(const QImage& icon) {
  icon_ = icon;
  textMode_ = false;
  update();
}

void CStaticBase::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (textMode_) {
    drawer_.Draw(p, rect());
  } else if (!icon_.isNull()) {
    p.drawImage(QPoint(0, 0), icon_);
  }
}

}  // namespace cbx::ui
