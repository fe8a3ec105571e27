#include "ui/screens/CCstmChoiceDialog.h"

#include <algorithm>
#include <iterator>

#include "app/Log.h"
#include "ui/controls/CBasicButton.h"
#include "ui/controls/CStaticBase.h"

namespace cbx::ui {

namespace {
constexpr int kFnBackReload = 110;
constexpr int kButtonTop[3] = {100, 184, 268};

const CCstmChoiceDialog::Texts kAfSpeedTexts{1600, 1601, {1602, 1603, 1604}, {1605, 1606, 1607}, 1608};
const CCstmChoiceDialog::Texts kOsTexts{1800, 1801, {1802, 1803, 1804}, {1805, 1806, 1807}, 1808};
const CCstmChoiceDialog::Texts kMfSensitivityTexts{5100, 5101, {5105, 5106, 5107}, {5102, 5103, 5104}, 5110};
// Slow, normal and fast, as the MF-sensitivity buttons store them.
constexpr lens::MfSensitivity kSensitivities[3] = {lens::MfSensitivity::kSlow, lens::MfSensitivity::kNormal,
                                                  lens::MfSensitivity::kFast};
}  // namespace

CCstmChoiceDialog::CCstmChoiceDialog(ScreenContext& context, int screenId, const Texts& texts, QWidget* parent)
    : CCustomScreen(context, screenId, parent), texts_(texts) {}

void CCstmChoiceDialog::LayOut() {
  AddTitle(texts_.title);
  message_ = AddMessage(texts_.message);
  for (int i = 0; i < 3; ++i) {
    const auto k = static_cast<std::size_t>(i);
    choices_[k] = AddLensButton(5, texts_.labels[k], QRect(40, kButtonTop[i], 199, 64), [this, i] { OnChoice(i); });
    descriptions_[k] = AddText(QRect(256, kButtonTop[i], 356, 64), texts_.descriptions[k], kFormatWordBreak | kFormatVCenter);
  }
  AddButton(1, texts_.back, QRect(487, 404, 0, 0), [this] { OnBack(); });
}

QString CCstmChoiceDialog::Message() const { return message_->Text(); }

void CCstmChoiceDialog::Select(int index) {
  selected_ = index;
  SelectChoice({choices_[0], choices_[1], choices_[2]}, choices_[static_cast<std::size_t>(index)]);
}

// ---- AF speed and OS ----

LensChoiceTexts LensChoiceTextsOf(const update::CLensUpdateInfoData& lens, bool osMode) {
  if (osMode) return {{lens.btnOsText1, lens.btnOsText2, lens.btnOsText3}, {lens.msgOsText1, lens.msgOsText2, lens.msgOsText3}};
  return {{lens.btnAfSpeedText1, lens.btnAfSpeedText2, lens.btnAfSpeedText3},
          {lens.msgAfSpeedText1, lens.msgAfSpeedText2, lens.msgAfSpeedText3}};
}

QString ChoiceName(const ScreenContext& context, bool osMode, int value) {
  const auto button = static_cast<std::size_t>(
      std::find(std::begin(CCstmModeChoiceDialog::kValues), std::end(CCstmModeChoiceDialog::kValues), value) -
      std::begin(CCstmModeChoiceDialog::kValues));
  if (button >= 3) return {};
  const LensChoiceTexts own = LensChoiceTextsOf(context.state.currentDevice, osMode);
  if (!own.labels[button].empty()) return QString::fromStdString(own.labels[button]);
  return Text(context.texts, (osMode ? kOsTexts : kAfSpeedTexts).labels[button]);
}

CCstmModeChoiceDialog::CCstmModeChoiceDialog(ScreenContext& context, int screenId, bool osMode, QWidget* parent)
    : CCstmChoiceDialog(context, screenId, osMode ? kOsTexts : kAfSpeedTexts, parent), osMode_(osMode) {
  LayOut();
}

void CCstmModeChoiceDialog::Refresh() {
  // The lens's own words where its message file has them.
  const LensChoiceTexts own = LensChoiceTextsOf(Lens(), osMode_);
  for (std::size_t i = 0; i < 3; ++i) {
    TextItem label = LoadTextItem(context_.texts, texts_.labels[i]);
    if (!own.labels[i].empty()) label.text = QString::fromStdString(own.labels[i]);
    choices_[i]->SetLabel(label, 37);
    descriptions_[i]->SetTextFromId(context_.texts, texts_.descriptions[i], kFormatWordBreak | kFormatVCenter);
    if (!own.descriptions[i].empty()) descriptions_[i]->SetText(QString::fromStdString(own.descriptions[i]));
  }

  lens::LensSettingsModel& m = Model();
  std::uint32_t lensGroup = 0;
  const bool lensReadable = m.GetCSSingleData(m.selectedMode, lensGroup);
  std::uint32_t group = m.SelectedGroup();
  if (!m.IsChangeCSDoubleData()) {
    group = lensReadable ? lensGroup : 0;
    if (!lensReadable) ReportError(kFnUpdateControls, lens::kErrCsGroup);
  }
  // A byte the lens should not hold is shown, and kept, as the standard value.
  const int value = lens::DecodeThreeWay(lens::GroupByte(group, GroupByteIndex()));
  for (int i = 0; i < 3; ++i) {
    if (kValues[i] == value) Select(i);
  }
  m.SelectedGroup() = lens::WithGroupByte(m.SelectedGroup(), GroupByteIndex(), static_cast<std::uint8_t>(~value));

  const int messageId = osMode_ && IsMl() ? 1809 : texts_.message;
  message_->SetTextFromId(context_.texts, messageId, kFormatSingleLine | kFormatVCenter);
  if (!lensReadable) ReportError(kFnSetMessageText, lens::kErrCsGroup);
  const int lensValue = lens::DecodeThreeWay(lens::GroupByte(lensReadable ? lensGroup : 0, GroupByteIndex()));
  message_->SetText(TextOf(messageId).replace(QStringLiteral("%s"), ChoiceName(context_, osMode_, lensValue)));
  update();
}

void CCstmModeChoiceDialog::DropEdits() {
  std::uint32_t group = 0;
  if (Model().GetCSSingleData(Model().selectedMode, group)) Model().SelectedGroup() = group;
}

void CCstmModeChoiceDialog::OnChoice(int index) {
  const int value = kValues[index];
  if (osMode_) {
    Model().SetOsMode(value);
  } else {
    Model().SetAfSpeed(value);
  }
  Select(index);
}

// ---- MF sensitivity ----

CCstmSelMFSensDialog::CCstmSelMFSensDialog(ScreenContext& context, QWidget* parent)
    : CCstmChoiceDialog(context, lens::kScreenMfSensitivity, kMfSensitivityTexts, parent) {
  LayOut();
}

void CCstmSelMFSensDialog::LayOut() {
  CCstmChoiceDialog::LayOut();
  AddText(QRect(40, 352, 572, 40), 5111, kFormatWordBreak | kFormatVCenter);
  write_ = AddLensButton(1, 5108, ExtraButtonPlace(1), [this] {
    if (WriteCs()) ReloadMlRecord();
    Refresh();
  });
  reset_ = AddLensButton(1, 5109, ExtraButtonPlace(0), [this] {
    if (!ResetFlow()) return;
    Model().SetMfSensitivity(lens::MfSensitivity::kNormal);
    ShowStored(Model().mfSensitivityByte);
  });
}

void CCstmSelMFSensDialog::ShowStored(std::uint8_t stored) {
  const lens::MfSensitivity value = lens::DecodeMfSensitivity(stored);
  for (int i = 0; i < 3; ++i) {
    if (kSensitivities[i] == value) Select(i);
  }
  write_->setEnabled(LensLoaded() && Model().IsMfSensitivityChanged());
}

void CCstmSelMFSensDialog::Refresh() {
  std::uint8_t stored = 0xFF;
  if (!Model().ReadMfSensitivityByte(stored)) ReportError(kFnUpdateControls, lens::kErrByteData);
  // The screen opens on what the lens holds.
  Model().mfSensitivityByte = stored;
  ShowStored(stored);
  update();
}

bool CCstmSelMFSensDialog::HasUnsavedChanges() const { return Model().IsMfSensitivityChanged(); }

void CCstmSelMFSensDialog::DropEdits() {
  if (!Model().ReadMfSensitivityByte(Model().mfSensitivityByte)) ReportError(kFnBackReload, lens::kErrByteData);
}

void CCstmSelMFSensDialog::OnChoice(int index) {
  Model().SetMfSensitivity(kSensitivities[index]);
  ShowStored(Model().mfSensitivityByte);
}

}  // namespace cbx::ui
