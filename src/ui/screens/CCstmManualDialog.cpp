#include "ui/screens/CCstmManualDialog.h"

#include <algorithm>

#include "app/Log.h"
#include "ui/controls/CBasicButton.h"
#include "ui/controls/CSpinBase.h"
#include "ui/controls/CTrackBarBase.h"

namespace cbx::ui {

namespace {
constexpr int kFnBackReload = 100;
constexpr int kLevelMin = 1, kLevelMax = 15;
}  // namespace

CCstmManualDialog::CCstmManualDialog(ScreenContext& context, QWidget* parent)
    : CCustomScreen(context, lens::kScreenManual, parent) {
  LayOut();
}

void CCstmManualDialog::LayOut() {
  AddTitle(1900);
  AddMessage(1901);
  use_ = AddLensButton(5, 1903, QRect(40, 100, 199, 64), [this] { SetOn(true); });
  notUse_ = AddLensButton(5, 1904, QRect(40, 184, 199, 64), [this] { SetOn(false); });
  AddText(QRect(256, 100, 356, 64), 1902, kFormatWordBreak | kFormatVCenter);
  AddText(QRect(256, 256, 356, 36), 1907, kFormatWordBreak | kFormatVCenter);
  slider_ = new CMFTrackBar(this);
  slider_->move(256, 296);
  slider_->SetRange(kLevelMin, kLevelMax);
  slider_->SetLabelFormat(QStringLiteral("%d"), 1, false);
  slider_->SetShowLabel(true);
  spin_ = new CSpinBase(this);
  spin_->move(460, 304);
  spin_->SetRange(kLevelMin, kLevelMax);
  spin_->SetPlusSign(false);
  connect(slider_, &CTrackBarBase::TrackChanged, this, [this](int position) {
    if (!LensLoaded()) return;
    spin_->SetValue(std::clamp(position, kLevelMin, kLevelMax));
    SetLevel(position);
  });
  connect(spin_, &CSpinBase::SpinChanged, this, [this](int value) {
    if (!LensLoaded()) return;
    slider_->SetPosition(value);
    SetLevel(value);
  });
  reset_ = AddLensButton(1, 1908, QRect(40, 300, 0, 0), [this] {
    if (!on_ || !ResetFlow()) return;
    const int level = std::clamp(Lens().MFreset, kLevelMin, kLevelMax);
    SetLevel(level);
    spin_->SetValue(level);
    slider_->SetPosition(level);
  });
  write_ = AddLensButton(1, 1905, QRect(322, 404, 0, 0), [this] {
    if (WriteCs()) {
      Model().LoadMfWord();
      Model().SaveCsSnapshot();
    }
    Refresh();
  });
  AddButton(1, 1906, QRect(487, 404, 0, 0), [this] { BackFlow(lens::kScreenCustomMenu); });
}

CBasicButton* CCstmManualDialog::Button(int control) const {
  switch (control) {
    case 1099: return use_;
    case 1100: return notUse_;
    case 1101: return write_;
    case 1102: return reset_;
    default: return nullptr;
  }
}

void CCstmManualDialog::Refresh() {
  lens::LensSettingsModel& m = Model();
  // An unknown switch byte is taken as off and the level as 1 or 15: the edit starts valid.
  if (!m.LoadMfWord()) ReportError(kFnUpdateControls, lens::kErrMfData);
  on_ = lens::MfSwitchOn(m.mfWord);
  SelectChoice({use_, notUse_}, on_ ? use_ : notUse_);
  const int level = std::clamp(lens::MfLevel(m.mfWord), kLevelMin, kLevelMax);
  m.SetMfLevel(level);
  spin_->SetValue(level);
  slider_->SetPosition(level);
  reset_->setEnabled(on_);
  spin_->setEnabled(on_);
  slider_->Enable(on_);
  UpdateWrite();
  update();
}

void CCstmManualDialog::SetOn(bool on) {
  on_ = on;
  SelectChoice({use_, notUse_}, on ? use_ : notUse_);
  reset_->setEnabled(on);
  spin_->setEnabled(on);
  slider_->Enable(on);
  Model().SetMfSwitch(on);
  UpdateWrite();
}

void CCstmManualDialog::SetLevel(int level) {
  Model().SetMfLevel(level);
  UpdateWrite();
}

void CCstmManualDialog::UpdateWrite() { write_->setEnabled(LensLoaded() && Model().IsChangeMFData()); }

bool CCstmManualDialog::HasUnsavedChanges() const { return Model().IsChangeMFData(); }

void CCstmManualDialog::DropEdits() {
  if (!Model().LoadMfWord()) ReportError(kFnBackReload, lens::kErrMfData);
}

}  // namespace cbx::ui
