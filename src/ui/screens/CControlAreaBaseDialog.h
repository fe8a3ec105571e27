// The base of the fifteen screens of the screen area: a screen id, a lay-out run once and a
// refresh run every time the screen is shown; it paints the screen background first.
#pragma once

#include <QWidget>

#include "ui/Theme.h"
#include "ui/screens/ScreenContext.h"

namespace cbx::ui {

class CControlAreaBaseDialog : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 652, kHeight = 450;

  CControlAreaBaseDialog(ScreenContext& context, QWidget* parent);
  virtual int ScreenId() const { return -1; }
  virtual void LayOut() {}
  virtual void Refresh() {}

 protected:
  void paintEvent(QPaintEvent*) override;
  void keyPressEvent(QKeyEvent*) override {}  // screens do not react to keys
  // The content above the background.
  virtual void PaintContent(QPainter&) {}
  ScreenContext& context_;
};

// Screens whose own page comes with the customisation screens: a titled page for now.
class CTitledScreen : public CControlAreaBaseDialog {
  Q_OBJECT
 public:
  CTitledScreen(ScreenContext& context, int screenId, const QString& title, QWidget* parent)
      : CControlAreaBaseDialog(context, parent), id_(screenId), title_(title) {}
  int ScreenId() const override { return id_; }

 protected:
  void PaintContent(QPainter& p) override;

 private:
  int id_;
  QString title_;
};

}  // namespace cbx::ui
