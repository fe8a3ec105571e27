// The program's push button: a rounded dark face with its label, lighter under the pointer
// and darker while pressed; disabled buttons dim their label.
#pragma once

#include <QAbstractButton>

#include "ui/Theme.h"

namespace cbx::ui {

class CBasicButton : public QAbstractButton {
  Q_OBJECT
 public:
  CBasicButton(const TextItem& label, unsigned format, QWidget* parent);
  void SetLabel(const TextItem& label) {
    label_ = label;
    setText(label.text);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;

 private:
  TextItem label_;
  unsigned format_;
  bool hover_ = false;
};

}  // namespace cbx::ui
