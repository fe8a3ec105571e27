// Screen 9: the mount-converter home.
#pragma once

#include "ui/screens/CDeviceHomeBase.h"

namespace cbx::ui {

class CMountMainDialog : public CDeviceHomeBase {
  Q_OBJECT
 public:
  CMountMainDialog(ScreenContext& context, QWidget* parent);
  int ScreenId() const override { return 9; }

 protected:
  std::string VersionText(const std::string& display, int mountCode) const override;
  void ApplyEnableRules() override;
  // The EMC button.
  void OnSecondButton() override;
};

}  // namespace cbx::ui
