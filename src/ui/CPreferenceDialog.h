// The dock-information dialog (File > USB DOCK information): the USB device's mount name and
// firmware version, and the way to check it for newer firmware. Losing the device closes it.
#pragma once

#include "ui/CDialogBase.h"
#include "ui/Theme.h"
#include "ui/screens/ScreenContext.h"

namespace cbx::ui {

class CBasicButton;

class CPreferenceDialog : public CDialogBase {
  Q_OBJECT
 public:
  CPreferenceDialog(ScreenContext& context, dock::DockDevice& dock, QWidget* parent);
  QString InformationText() const { return information_.text; }
  CBasicButton* CheckButton() const { return check_; }
  // Told after a check, when the device still answers (the lens home refreshes itself).
  std::function<void()> onChecked;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void Fill();
  void OnCheck();

  ScreenContext& context_;
  dock::DockDevice& dock_;
  CBasicButton* check_;
  TextItem heading_, information_;
  int headingTop_ = 83, informationTop_ = 113;
  bool flashPicture_ = false, dockPicture_ = false;
};

}  // namespace cbx::ui
