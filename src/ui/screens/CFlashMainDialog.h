// Screen 10: the flash home.
#pragma once

#include "ui/screens/CDeviceHomeBase.h"

namespace cbx::ui {

class CFlashMainDialog : public CDeviceHomeBase {
  Q_OBJECT
 public:
  CFlashMainDialog(ScreenContext& context, QWidget* parent);
  int ScreenId() const override { return 10; }

 protected:
  void ApplyEnableRules() override;
};

}  // namespace cbx::ui
