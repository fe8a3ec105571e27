// The base of the program's own dialogs: the theme background, a fixed client size, and no
// keyboard (the about box lets keys through).
#pragma once

#include <QDialog>

namespace cbx::ui {

class CDialogBase : public QDialog {
  Q_OBJECT
 public:
  CDialogBase(const QString& caption, const QSize& client, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent*) override {}
  void paintEvent(QPaintEvent*) override;
};

}  // namespace cbx::ui
