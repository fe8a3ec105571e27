// Screen 0: the lens home.
#pragma once

#include "ui/screens/CDeviceHomeBase.h"

namespace cbx::ui {

class CHomeMainDialog : public CDeviceHomeBase {
  Q_OBJECT
 public:
  CHomeMainDialog(ScreenContext& context, QWidget* parent);
  int ScreenId() const override { return 0; }
  void OnHomeMessage(bool updateAllowed, bool customAllowed) override;
  void Refresh() override;

 protected:
  std::string VersionText(const std::string& display, int mountCode) const override;
  void ApplyEnableRules() override;
  void OnSecondButton() override;

 private:
  bool updateAllowed_ = false;
  bool customAllowed_ = false;
};

}  // namespace cbx::ui
