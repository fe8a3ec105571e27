// The spin control: a value between a minus and a plus button, stepped once at a press,
// again after half a second and then every 10 ms while the button is held.
#pragma once

#include <QTimer>
#include <QWidget>
#include <climits>

namespace cbx::ui {

class CSpinBase : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kNoValue = INT_MAX;  // the control is inert while it holds this

  explicit CSpinBase(QWidget* parent);
  void SetRange(int min, int max);
  void SetValue(int value);
  int Value() const { return value_; }
  void SetPlusSign(bool plus) { plusSign_ = plus; }
  void SetDisabledPictures(bool use) { disabledPictures_ = use; }
  QString ValueText() const;

 signals:
  // UM_SPIN_CHANGED
  void SpinChanged(int value);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void leaveEvent(QEvent*) override;
  void keyPressEvent(QKeyEvent*) override {}

 private:
  bool Step();
  int PartAt(const QPoint& p) const;

  int value_ = 0, min_ = 0, max_ = 100;
  int part_ = -1, hoverPart_ = -1;
  bool plusSign_ = true, disabledPictures_ = false;
  QTimer timer_;
};

}  // namespace cbx::ui
