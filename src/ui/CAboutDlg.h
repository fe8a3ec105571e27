// The about box: the product picture, the program version (Alt+V shows all four parts) and
// the way to the licence texts. Unlike the other dialogs it takes Enter and Escape.
#pragma once

#include "app/TextResources.h"
#include "ui/CDialogBase.h"
#include "ui/Theme.h"

namespace cbx::ui {

class CAboutDlg : public CDialogBase {
  Q_OBJECT
 public:
  CAboutDlg(const TextTable& texts, QWidget* parent);
  QString VersionText() const { return version_.text; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void paintEvent(QPaintEvent*) override;

 private:
  const TextTable& texts_;
  TextItem version_;
};

}  // namespace cbx::ui
