// The base of the two bars of the main window: a fixed strip with an initialisation step
// run right after it is created.
#pragma once

#include <QWidget>

namespace cbx::ui {

class CDialogBarBase : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;
  // Lays the bar out; a bar that cannot be made returns false.
  virtual bool InitBar() { return true; }
};

}  // namespace cbx::ui
