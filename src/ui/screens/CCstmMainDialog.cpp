#include "ui/screens/CCstmMainDialog.h"

#include "ui/controls/CBasicButton.h"

namespace cbx::ui {

namespace {
constexpr int kColumn[] = {20, 226, 432};
constexpr int kRow1 = 104, kRow2 = 246;
constexpr int kButtonW = 199, kButtonH = 64;
QRect Place(int column, int top) { return QRect(kColumn[column], top, kButtonW, kButtonH); }
QRect Below(int column, int top) { return QRect(kColumn[column], top + kButtonH + 4, kButtonW, 64); }
}  // namespace

CCstmMainDialog::CCstmMainDialog(ScreenContext& context, QWidget* parent)
    : CCustomScreen(context, lens::kScreenCustomMenu, parent) {
  LayOut();
}

void CCstmMainDialog::LayOut() {
  AddTitle(1200);
  AddMessage(1201);
  afFine_ = AddLensButton(3, 1202, Place(0, kRow1), [this] {
    if (Rights().afFineAdjustment) Show(lens::kScreenAfFocus);
  });
  AddText(Below(0, kRow1), 1209, kFormatWordBreak);
  customModes_ = AddLensButton(3, 1203, Place(1, kRow1), [this] {
    if (Rights().customModes) Show(lens::kScreenSelectMode);
  });
  AddText(Below(1, kRow1), 1210, kFormatWordBreak);
  manual_ = AddLensButton(3, 1204, Place(2, kRow1), [this] {
    if (Rights().manualOverride) Show(lens::kScreenManual);
  });
  afFunction_ = AddLensButton(3, 1205, Place(0, kRow2), [this] {
    if (Rights().afFunction) Show(lens::kScreenAfFunction);
  });
  reset_ = AddLensButton(3, 1206, Place(1, kRow2), [this] { ResetAll(); });
  AddText(Below(1, kRow2), 1211, kFormatWordBreak);
  emc_ = AddLensButton(3, 1207, Place(2, kRow2), [this] { context_.controller.EmcTest(); });
  back_ = AddButton(1, 1208, QRect(487, 404, 0, 0), [this] { Show(lens::kScreenLensHome); });
}

CBasicButton* CCstmMainDialog::Button(int control) const {
  switch (control) {
    case 1007: return afFine_;
    case 1008: return customModes_;
    case 1104: return manual_;
    case 1106: return afFunction_;
    case 1010: return reset_;
    case 1050: return emc_;
    case 1009: return back_;
    default: return nullptr;
  }
}

void CCstmMainDialog::Refresh() {
  const lens::CustomisationRights r = Rights();
  afFine_->setEnabled(r.afFineAdjustment);
  customModes_->setEnabled(r.customModes);
  manual_->setEnabled(r.manualOverride);
  afFunction_->setEnabled(r.afFunction);
  reset_->setEnabled(r.resetAll);
  // The EMC test is for service use only.
  emc_->setVisible(context_.state.emcTestEnabled);
  update();
}

void CCstmMainDialog::ResetAll() {
  if (!Rights().resetAll) return;
  while (true) {
    if (!ResetFlow()) return;
    const int answer = context_.ui.AskMessage(kKindWriteQuestion);
    if (answer == kResultGoBack) continue;  // back to the first question
    if (answer != kResultWrite || !LensLoaded()) return;
    break;
  }
  bool failed = false;
  if (!context_.settings.ResetCustomData(failed, false)) {
    if (failed) context_.ui.AskMessage(kKindNotice, TextOf(3125).toStdString());
    return;
  }
  context_.ui.AskMessage(kKindNotice, TextOf(3124).toStdString());
  if (!LensLoaded()) return;
  // The images now hold what was written: the edited values follow them.
  lens::LensSettingsModel& m = Model();
  const update::CLensUpdateInfoData& lens = Lens();
  if (lens.FocusCtrl != 0) ReloadAfTable(0);
  if (lens.CustomSW != 0) m.ReadModeGroups(m.mode1Group, m.mode2Group);
  bool cs = false;
  if (lens.MFCtrl != 0) {
    std::uint16_t word = 0;
    if (m.ReadMfWord(word)) m.mfWord = word;
    cs = true;
  }
  if (lens.AFFuncBCtrl != 0) {
    m.ReadAfFunctionByte(m.afFunctionByte);
    cs = true;
  }
  if (cs || lens.CustomSW != 0) m.SaveCsSnapshot();
  Refresh();
}

}  // namespace cbx::ui
