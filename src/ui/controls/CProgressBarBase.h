// The progress bar: a frame picture and the part of the fill picture the position covers.
#pragma once

#include <QWidget>

namespace cbx::ui {

class CProgressBarBase : public QWidget {
  Q_OBJECT
 public:
  explicit CProgressBarBase(QWidget* parent);
  void SetRange(int min, int max);
  // Clamped into the range; returns the previous position.
  int SetPosition(int position);
  // From any thread: range and position, applied later on the bar's own thread.
  void SetLater(int min, int max, int position);
  int Position() const { return position_; }
  // How many columns of the fill picture show.
  int FilledWidth() const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int position_ = 0, min_ = 0, max_ = 100;
};

}  // namespace cbx::ui
