// The splash window: the product picture for two seconds at start-up, centred on the screen.
#pragma once

#include <QWidget>
#include <functional>

namespace cbx::ui {

class CSplashWnd : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kShowMs = 2000;
  // `closed` runs once the splash has gone.
  CSplashWnd(const QString& version, std::function<void()> closed);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QString version_;
  std::function<void()> closed_;
};

// The product picture of the splash and the about box (640 x 253).
void PaintProductPicture(class QPainter& p, const QRect& area, const QString& version);

}  // namespace cbx::ui
