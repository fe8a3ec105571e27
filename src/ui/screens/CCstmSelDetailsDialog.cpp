#include "ui/screens/CCstmSelDetailsDialog.h"

#include "app/Log.h"
#include "ui/controls/CBasicButton.h"
#include "ui/controls/CStaticBase.h"
#include "ui/screens/CCstmChoiceDialog.h"

namespace cbx::ui {

namespace {
constexpr std::uint32_t kEnabledLine = 0x737373, kDisabledLine = 0xC8C8C8;
}  // namespace

CCstmSelDetailsDialog::CCstmSelDetailsDialog(ScreenContext& context, QWidget* parent)
    : CCustomScreen(context, lens::kScreenModeDetails, parent) {
  LayOut();
}

void CCstmSelDetailsDialog::LayOut() {
  title_ = AddTitle(1500);
  AddMessage(1511);
  const int tops[3] = {100, 184, 268};
  const int textIds[3] = {1501, 1502, 1503};
  for (int i = 0; i < 3; ++i) {
    lines_[i] = AddText(QRect(256, tops[i], 356, 64), textIds[i], kFormatSingleLine | kFormatVCenter);
  }
  afSpeed_ = AddLensButton(3, 1504, QRect(40, tops[0], 199, 64), [this] {
    if (Rights().afSpeed) Show(lens::kScreenAfSpeed);
  });
  limiter_ = AddLensButton(3, 1505, QRect(40, tops[1], 199, 64), [this] {
    if (Rights().focusLimiter) Show(lens::kScreenFocusLimiter);
  });
  os_ = AddLensButton(3, 1506, QRect(40, tops[2], 199, 64), [this] {
    if (Rights().osMode) Show(lens::kScreenOs);
  });
  write_ = AddLensButton(1, 1507, QRect(322, 404, 0, 0), [this] { Write(); });
  back_ = AddButton(1, 1508, QRect(487, 404, 0, 0), [this] { BackFlow(lens::kScreenSelectMode); });
}

CBasicButton* CCstmSelDetailsDialog::Button(int control) const {
  switch (control) {
    case 1016: return afSpeed_;
    case 1017: return limiter_;
    case 1021: return os_;
    case 1020: return write_;
    case 1019: return back_;
    default: return nullptr;
  }
}

QString CCstmSelDetailsDialog::Line(int index) const { return index == 0 ? title_->Text() : lines_[index - 1]->Text(); }

bool CCstmSelDetailsDialog::HasUnsavedChanges() const { return Model().IsChangeCSData(Model().selectedMode); }

void CCstmSelDetailsDialog::DropEdits() {
  std::uint32_t group = 0;
  if (Model().GetCSSingleData(Model().selectedMode, group)) Model().SelectedGroup() = group;
}

void CCstmSelDetailsDialog::Refresh() {
  lens::LensSettingsModel& m = Model();
  std::uint32_t group = m.SelectedGroup();
  if (LensLoaded() && !m.IsChangeCSDoubleData() && !m.GetCSSingleData(m.selectedMode, group)) {
    ReportError(kFnSetMessageText, lens::kErrCsGroup);
  }
  SetMessageText(group);
  const lens::CustomisationRights r = Rights();
  const std::pair<CBasicButton*, bool> enables[3] = {{afSpeed_, r.afSpeed}, {limiter_, r.focusLimiter}, {os_, r.osMode}};
  for (int i = 0; i < 3; ++i) {
    enables[i].first->setEnabled(enables[i].second);
    lines_[i]->SetColour(FromBgr(enables[i].second ? kEnabledLine : kDisabledLine));
  }
  write_->setEnabled(LensLoaded() && m.IsChangeCSData(m.selectedMode));
  update();
}

void CCstmSelDetailsDialog::SetMessageText(std::uint32_t group) {
  const lens::LensSettingsModel& m = Model();
  title_->SetText(TextOf(1500) + (m.selectedMode == 1 ? QStringLiteral("C1") : QStringLiteral("C2")));
  const int afSpeed = lens::DecodeThreeWay(lens::GroupByte(group, 0));
  const int os = lens::DecodeThreeWay(lens::GroupByte(group, 3));
  const int upper = static_cast<std::uint8_t>(~lens::GroupByte(group, 1));
  const int lower = static_cast<std::uint8_t>(~lens::GroupByte(group, 2));
  const bool fullRange = IsMl() ? upper == m.ProductLimiterDefault() : upper == m.FarLimitIndex() && lower == 0;
  lines_[0]->SetText(TextOf(1501).replace(QStringLiteral("%s"), ChoiceName(context_, false, afSpeed)));
  lines_[1]->SetText(TextOf(1502).replace(QStringLiteral("%s"), TextOf(fullRange ? 1510 : 1509)));
  lines_[2]->SetText(TextOf(1503).replace(QStringLiteral("%s"), ChoiceName(context_, true, os)));
}

void CCstmSelDetailsDialog::Write() {
  lens::LensSettingsModel& m = Model();
  if (!m.IsChangeCSData(m.selectedMode)) return;
  if (WriteCs()) {
    m.ReadModeGroups(m.mode1Group, m.mode2Group);
    if (IsMl()) m.ReadWriteCounter(m.writeCounter);
    m.SaveCsSnapshot();
  }
  Refresh();
}

}  // namespace cbx::ui
