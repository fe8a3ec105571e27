#include "ui/screens/CCstmSelModeDialog.h"

#include "ui/controls/CBasicButton.h"
#include "ui/controls/CStaticBase.h"

namespace cbx::ui {

namespace {
constexpr int kTextChanged = 1401, kTextDefault = 1402;
}

CCstmSelModeDialog::CCstmSelModeDialog(ScreenContext& context, QWidget* parent)
    : CCustomScreen(context, lens::kScreenSelectMode, parent) {
  LayOut();
}

void CCstmSelModeDialog::LayOut() {
  AddTitle(1400);
  mode1_ = AddLensButton(3, 1403, QRect(100, 140, 199, 64), [this] { Choose(1); });
  mode2_ = AddLensButton(3, 1404, QRect(353, 140, 199, 64), [this] { Choose(2); });
  label1_ = AddText(QRect(100, 212, 199, 24), kTextDefault, kFormatCenter | kFormatSingleLine | kFormatVCenter);
  label2_ = AddText(QRect(353, 212, 199, 24), kTextDefault, kFormatCenter | kFormatSingleLine | kFormatVCenter);
  AddButton(1, 1405, QRect(487, 404, 0, 0), [this] {
    Show(IsMl() ? lens::kScreenMfSensitivityMenu : lens::kScreenCustomMenu);
  });
}

QString CCstmSelModeDialog::ModeLabel(int mode) const { return (mode == 1 ? label1_ : label2_)->Text(); }

void CCstmSelModeDialog::Refresh() {
  std::uint32_t group = 0;
  // Without readable groups neither mode can be edited.
  const bool readable = LensLoaded() && Model().GetCSSingleData(1, group);
  for (int mode : {1, 2}) {
    CStaticBase* label = mode == 1 ? label1_ : label2_;
    const bool defaults = readable && Model().GetCustomModeChangeStatus(mode);
    label->SetTextFromId(context_.texts, defaults ? kTextDefault : kTextChanged,
                         kFormatCenter | kFormatSingleLine | kFormatVCenter);
  }
  mode1_->setEnabled(readable);
  mode2_->setEnabled(readable);
  update();
}

void CCstmSelModeDialog::Choose(int mode) {
  Model().selectedMode = mode;
  Show(lens::kScreenModeDetails);
}

}  // namespace cbx::ui
