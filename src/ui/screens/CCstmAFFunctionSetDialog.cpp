#include "ui/screens/CCstmAFFunctionSetDialog.h"

#include "app/Log.h"
#include "ui/controls/CBasicButton.h"

namespace cbx::ui {

namespace {
constexpr int kFnBackReload = 110, kFnWriteReload = 111;
}  // namespace

CCstmAFFunctionSetDialog::CCstmAFFunctionSetDialog(ScreenContext& context, QWidget* parent)
    : CCustomScreen(context, lens::kScreenAfFunction, parent) {
  LayOut();
}

void CCstmAFFunctionSetDialog::LayOut() {
  AddTitle(5000);
  AddMessage(5001);
  afOnButton_ = AddLensButton(5, 5002, QRect(40, 100, 199, 64), [this] { Choose(true); });
  aflButton_ = AddLensButton(5, 5003, QRect(40, 184, 199, 64), [this] { Choose(false); });
  AddText(QRect(256, 100, 356, 64), 5004, kFormatWordBreak | kFormatVCenter);
  AddText(QRect(256, 184, 356, 64), 5005, kFormatWordBreak | kFormatVCenter);
  AddText(QRect(256, 268, 356, 28), 5006, kFormatWordBreak | kFormatVCenter);
  reset_ = AddLensButton(1, 5008, QRect(40, 268, 0, 0), [this] {
    if (!ResetFlow()) return;
    Choose(Lens().AFFuncBReset == 0xAA);
  });
  write_ = AddLensButton(1, 5007, QRect(322, 404, 0, 0), [this] {
    lens::LensSettingsModel& m = Model();
    if (WriteCs()) {
      if (!m.ReadAfFunctionByte(m.afFunctionByte)) ReportError(kFnWriteReload, lens::kErrByteData);
      m.SaveCsSnapshot();
    }
    Refresh();
  });
  AddButton(1, 5009, QRect(487, 404, 0, 0), [this] { BackFlow(lens::kScreenCustomMenu); });
}

CBasicButton* CCstmAFFunctionSetDialog::Button(int control) const {
  switch (control) {
    case 1113: return afOnButton_;
    case 1114: return aflButton_;
    case 1110: return write_;
    case 1111: return reset_;
    default: return nullptr;
  }
}

void CCstmAFFunctionSetDialog::Refresh() {
  std::uint8_t stored = 0xFF;
  if (!Model().ReadAfFunctionByte(stored)) ReportError(kFnUpdateControls, lens::kErrByteData);
  // Only 0x55 means AF-ON; the edit keeps whatever is being edited.
  afOn_ = lens::AfFunctionIsAfOn(Model().afFunctionByte);
  if (!HasUnsavedChanges()) afOn_ = lens::AfFunctionIsAfOn(stored);
  SelectChoice({afOnButton_, aflButton_}, afOn_ ? afOnButton_ : aflButton_);
  write_->setEnabled(LensLoaded() && Model().IsAfFunctionChanged());
  update();
}

void CCstmAFFunctionSetDialog::Choose(bool afOn) {
  afOn_ = afOn;
  Model().SetAfFunction(afOn);
  SelectChoice({afOnButton_, aflButton_}, afOn ? afOnButton_ : aflButton_);
  write_->setEnabled(LensLoaded() && Model().IsAfFunctionChanged());
}

bool CCstmAFFunctionSetDialog::HasUnsavedChanges() const { return Model().IsAfFunctionChanged(); }

void CCstmAFFunctionSetDialog::DropEdits() {
  if (!Model().ReadAfFunctionByte(Model().afFunctionByte)) ReportError(kFnBackReload, lens::kErrByteData);
}

}  // namespace cbx::ui
