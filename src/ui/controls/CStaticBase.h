// A static text (or icon) over whatever its parent paints behind it.
#pragma once

#include <QImage>
#include <QWidget>

#include "ui/controls/CStringItemDrawer.h"

namespace cbx::ui {

class CStaticBase : public QWidget {
  Q_OBJECT
 public:
  CStaticBase(const QRect& place, QWidget* parent);
  void SetTextFromId(const TextTable& texts, int id, unsigned format, bool repaintNow = false);
  void SetText(const QString& text, bool repaintNow = false);
  void SetColour(const QColor& colour) {
    drawer_.SetColour(colour);
    update();
  }
  void SetFormat(unsigned format) {
    drawer_.SetFormat(format);
    update();
  }
  // Icon mode: the picture at (0, 0) instead of a text.
  void SetIcon(const QImage& icon);
  QString Text() const { return drawer_.GetText(); }
  const CStringItemDrawer& Drawer() const { return drawer_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  CStringItemDrawer drawer_;
  QImage icon_;
  bool textMode_ = true;
};

}  // namespace cbx::ui
