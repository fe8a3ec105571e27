// Screen -1: no device; asks the user to connect one.
#pragma once

#include "ui/screens/CControlAreaBaseDialog.h"

namespace cbx::ui {

class CHomeStartDialog : public CControlAreaBaseDialog {
  Q_OBJECT
 public:
  CHomeStartDialog(ScreenContext& context, QWidget* parent);
  int ScreenId() const override { return -1; }
  void LayOut() override;
  QString MessageText() const;

 protected:
  void PaintContent(QPainter& p) override;

 private:
  class CStaticBase* message_ = nullptr;
};

}  // namespace cbx::ui
