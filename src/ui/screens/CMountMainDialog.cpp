#include "ui/screens/CMountMainDialog.h"

#include "ui/controls/CBasicButton.h"
#include "ui/screens/HomeVersionText.h"

namespace cbx::ui {

CMountMainDialog::CMountMainDialog(ScreenContext& context, QWidget* parent) : CDeviceHomeBase(context, 4014, parent) {
  LayOut();
}

std::string CMountMainDialog::VersionText(const std::string& display, int mountCode) const {
  return MountHomeVersion(display, mountCode);
}

void CMountMainDialog::ApplyEnableRules() {
  update_->setEnabled(UpdateOffered());
  // The EMC test is for service use only.
  const bool emc = context_.state.emcTestEnabled;
  second_->setVisible(emc);
  second_->setEnabled(emc);
}

void CMountMainDialog::OnSecondButton() { context_.controller.EmcTest(); }

}  // namespace cbx::ui
