#include "ui/screens/CCstmMSSensDialog.h"

#include "ui/controls/CBasicButton.h"

namespace cbx::ui {

CCstmMSSensDialog::CCstmMSSensDialog(ScreenContext& context, QWidget* parent)
    : CCustomScreen(context, lens::kScreenMfSensitivityMenu, parent) {
  LayOut();
}

void CCstmMSSensDialog::LayOut() {
  AddTitle(1212);
  AddMessage(1213);
  mfSensitivity_ = AddLensButton(3, 1214, QRect(40, 104, 199, 64), [this] {
    if (Rights().mfSensitivity) Show(lens::kScreenMfSensitivity);
  });
  AddText(QRect(256, 104, 356, 64), 1218, kFormatWordBreak | kFormatVCenter);
  customModes_ = AddLensButton(3, 1215, QRect(40, 190, 199, 64), [this] {
    if (Rights().customModes) Show(lens::kScreenSelectMode);
  });
  reset_ = AddLensButton(3, 1216, QRect(40, 276, 199, 64), [this] { Reset(); });
  AddText(QRect(256, 276, 356, 64), 1219, kFormatWordBreak | kFormatVCenter);
  back_ = AddButton(1, 1217, QRect(487, 404, 0, 0), [this] { Show(lens::kScreenLensHome); });
}

CBasicButton* CCstmMSSensDialog::Button(int control) const {
  switch (control) {
    case 1121: return mfSensitivity_;
    case 1133: return customModes_;
    case 1118: return reset_;
    case 1120: return back_;
    default: return nullptr;
  }
}

void CCstmMSSensDialog::Refresh() {
  const lens::CustomisationRights r = Rights();
  mfSensitivity_->setEnabled(r.mfSensitivity);
  customModes_->setEnabled(r.customModes);
  reset_->setEnabled(r.mfSensitivity);
  update();
}

void CCstmMSSensDialog::Reset() {
  if (!Rights().mfSensitivity) return;
  lens::LensSettingsModel& m = Model();
  m.ResetEditedValues();
  m.SetMfSensitivity(lens::MfSensitivity::kNormal);
  if (WriteCs()) {
    ReloadMlRecord();
  } else {
    // Nothing reached the lens: the edits follow what it holds again.
    m.ReadMfSensitivityByte(m.mfSensitivityByte);
    m.ReadModeGroups(m.mode1Group, m.mode2Group);
  }
  Refresh();
}

}  // namespace cbx::ui
