// The program's push button: three pictures (left cap, stretched middle, right cap) for its
// normal, pressed and hover states in one of six styles, and a label drawn over them.
#pragma once

#include <QAbstractButton>
#include <QImage>
#include <array>

#include "ui/Theme.h"

namespace cbx::ui {

class CBasicButton : public QAbstractButton {
  Q_OBJECT
 public:
  // 0: 165 x 28, 1: 145 x 28, 2: 315 x 28, 3: 199 x 64 plain, 4 and 5: 199 x 64 option
  // buttons, selected (lit indicator) and unselected.
  CBasicButton(int style, const TextItem& label, unsigned format, QWidget* parent);
  void SetLabel(const TextItem& label, unsigned format);
  // The option buttons switch between their selected (4) and unselected (5) looks.
  void SetStyle(int style);
  int Style() const { return style_; }
  static QSize StyleSize(int style);
  // Tests: what a paint would show.
  enum class Look { kNormal, kPressed, kHover };
  Look CurrentLook() const;
  unsigned LabelFormat() const { return format_; }
  QRect LabelRect() const;
  QColor LabelColor() const { return isEnabled() ? label_.color : disabledColor_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override {}

 private:
  void FitLabel();

  int style_;
  int capWidth_;
  std::array<int, 9> pieces_{};  // normal, pressed, hover: left, middle, right
  TextItem label_;
  QColor disabledColor_;
  unsigned format_;
  QRect customRect_;
  bool tracking_ = false;
  bool clicked_ = false;
};

}  // namespace cbx::ui
