#include "ui/screens/CHomeMainDialog.h"

#include "lens/CustomisationRules.h"
#include "ui/controls/CBasicButton.h"
#include "ui/controls/CStaticBase.h"
#include "ui/screens/HomeVersionText.h"

namespace cbx::ui {

CHomeMainDialog::CHomeMainDialog(ScreenContext& context, QWidget* parent) : CDeviceHomeBase(context, 1106, parent) {
  LayOut();
}

void CHomeMainDialog::OnHomeMessage(bool updateAllowed, bool customAllowed) {
  updateAllowed_ = updateAllowed;
  customAllowed_ = customAllowed;
  CDeviceHomeBase::OnHomeMessage(updateAllowed, customAllowed);
}

std::string CHomeMainDialog::VersionText(const std::string& display, int mountCode) const {
  return LensHomeVersion(display, mountCode);
}

void CHomeMainDialog::ApplyEnableRules() {
  const auto& shown = context_.state.shownDevice;
  update_->setEnabled(UpdateOffered() && updateAllowed_);
  // The ml mount counts its writes: the lens refuses more than its limit.
  const bool custom = SameDevice() && updateAllowed_ && customAllowed_ &&
                      lens::CustomisationAllowed(shown, context_.model.writeCounter);
  second_->setEnabled(custom);
  customText_->setVisible(!lens::IsMlMountCode(shown.mountCode));
  customText_->SetTextFromId(context_.texts, 1104, 16);
  // A cine lens is never customised: the description goes empty.
  if (shown.productCodeText.rfind('C', 0) == 0) customText_->SetText(QString());
}

void CHomeMainDialog::Refresh() {
  CDeviceHomeBase::Refresh();
  // An EMC test that did not end cleanly carries on as soon as the lens is back.
  // Queued: the screen area is still in the middle of showing this screen.
  QMetaObject::invokeMethod(this, [this] {
    const AppState& st = context_.state;
    if (st.emcRunning && st.emcTestEnabled && second_->isEnabled() && isVisible()) OnSecondButton();
  }, Qt::QueuedConnection);
}

void CHomeMainDialog::OnSecondButton() {
  context_.showScreen(context_.state.shownDevice.MFSensCtrl != 0 ? lens::kScreenMfSensitivityMenu : lens::kScreenCustomMenu);
}

}  // namespace cbx::ui
