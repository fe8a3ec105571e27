#include "ui/screens/CFlashMainDialog.h"

#include "ui/controls/CBasicButton.h"

namespace cbx::ui {

CFlashMainDialog::CFlashMainDialog(ScreenContext& context, QWidget* parent) : CDeviceHomeBase(context, 4014, parent) {
  LayOut();
}

void CFlashMainDialog::ApplyEnableRules() {
  // The flash unit's own permission: cleared while it reports busy.
  update_->setEnabled(UpdateOffered() && context_.state.currentDevice.controllerValue != 0);
  second_->setVisible(false);
}

}  // namespace cbx::ui
