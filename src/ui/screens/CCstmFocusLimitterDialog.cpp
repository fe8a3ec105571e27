#include "ui/screens/CCstmFocusLimitterDialog.h"

#include <QImage>
#include <algorithm>
#include <cmath>

#include "app/Log.h"
#include "ui/controls/CBasicButton.h"
#include "ui/controls/CStaticBase.h"

namespace cbx::ui {

namespace {
constexpr int kScale = CFlmtSliderNeo::kScaleWidth;
constexpr unsigned kLine = kFormatSingleLine | kFormatVCenter;
}  // namespace

CCstmFocusLimitterDialog::CCstmFocusLimitterDialog(ScreenContext& context, QWidget* parent)
    : CCustomScreen(context, lens::kScreenFocusLimiter, parent) {
  LayOut();
}

void CCstmFocusLimitterDialog::LayOut() {
  AddTitle(1700);
  message_ = AddMessage(1701);
  slider_ = new CFlmtSliderNeo(this);
  slider_->move((kWidth - CFlmtSliderNeo::kWidth) / 2, 118);
  connect(slider_, &CFlmtSliderNeo::TrackChanged, this, [this](const FlmtTrackChange& c) { OnSliderChanged(c); });
  AddText(QRect(40, 250, 572, 40), 1704, kFormatWordBreak);
  reset_ = AddLensButton(1, 1702, QRect(332, 404, 0, 0), [this] { Reset(); });
  back_ = AddButton(1, 1703, QRect(487, 404, 0, 0), [this] { Show(lens::kScreenModeDetails); });
}

int CCstmFocusLimitterDialog::LimiterPixel(std::span<const double> positions, int index) {
  const int n = static_cast<int>(positions.size());
  if (index <= 0) return 0;
  if (index >= n) return kScale;
  const double last = positions.back();
  // A scale whose far end is at 0 (or not a number) cannot be divided by: spread the ticks
  // evenly instead of drawing them nowhere.
  if (!std::isfinite(last) || last == 0.0) return index * kScale / n;
  const double a = positions[static_cast<std::size_t>(index - 1)] * kScale / last;
  const double b = positions[static_cast<std::size_t>(index)] * kScale / last;
  const double middle = (a + b) / 2;
  if (!std::isfinite(middle)) return index * kScale / n;
  return static_cast<int>(std::clamp(middle, 0.0, double(kScale)));
}

std::vector<CFlmtSliderInfo> CCstmFocusLimitterDialog::LimiterTicks(std::span<const double> positions) {
  std::vector<CFlmtSliderInfo> ticks;
  for (int i = 0; i <= static_cast<int>(positions.size()); ++i) {
    ticks.push_back(CFlmtSliderInfo{kScale - LimiterPixel(positions, i), 0, 0});
  }
  return ticks;
}

CBasicButton* CCstmFocusLimitterDialog::Button(int control) const {
  switch (control) {
    case 1027: return reset_;
    case 1026: return back_;
    default: return nullptr;
  }
}

QString CCstmFocusLimitterDialog::MessageText() const { return message_->Text(); }

void CCstmFocusLimitterDialog::Refresh() {
  lens::LensSettingsModel& m = Model();
  const bool ml = IsMl();
  QImage picture;
  if (const std::string& path = Lens().focusFlImagePath; !path.empty()) picture.load(QString::fromStdString(path));
  slider_->SetBackground(picture);
  message_->SetTextFromId(context_.texts, ml ? 1705 : 1701, kLine);

  // The edit while there is one, otherwise what the lens holds.
  std::uint32_t group = m.SelectedGroup();
  try {
    if (!m.IsChangeCSDoubleData()) {
      std::uint32_t lensGroup = 0;
      if (m.GetCSSingleData(m.selectedMode, lensGroup)) {
        group = lensGroup;
      } else {
        ReportError(kFnUpdateControls, lens::kErrCsGroup);
      }
    }
  } catch (const lens::LensModelArgumentError&) {
    ReportError(kFnUpdateControls, lens::kErrCsGroup);  // no place for the record: show the edit
  }
  const lens::LimiterStart start = m.FixInitFLValue(group);

  const int n = m.EncoderPositionCount();
  slider_->SetTicks(LimiterTicks(m.LensInfo().encoderPositions));
  // An ml-mount lens takes positions 0..n-1 only; a larger one would come back from the
  // lens as out of range.
  slider_->SetFirstRange(0, ml ? lens::ClampMlLimiterPosition(m, n) : n);
  slider_->SetSecondRange(0, n);
  slider_->SetFirstPosition(start.first);
  slider_->SetSecondPosition(start.second);
  slider_->SetSecondHandleShown(!ml);
  update();
}

void CCstmFocusLimitterDialog::OnSliderChanged(const FlmtTrackChange& change) {
  Model().SetLimiter(change.first, change.second);
}

void CCstmFocusLimitterDialog::Reset() {
  lens::LensSettingsModel& m = Model();
  const int n = m.EncoderPositionCount();
  if (IsMl()) {
    const int r = m.ProductLimiterDefault();
    slider_->SetFirstPosition(r);
    slider_->SetSecondPosition(n);
    const auto stored = static_cast<std::uint8_t>(~static_cast<unsigned>(r));
    m.SelectedGroup() = lens::WithGroupByte(lens::WithGroupByte(m.SelectedGroup(), 1, stored), 2, stored);
  } else {
    slider_->SetFirstPosition(0);
    slider_->SetSecondPosition(n);
    m.SetLimiter(0, n);
  }
}

bool CCstmFocusLimitterDialog::HasUnsavedChanges() const { return Model().IsChangeCSData(Model().selectedMode); }

void CCstmFocusLimitterDialog::DropEdits() {
  std::uint32_t group = 0;
  if (Model().GetCSSingleData(Model().selectedMode, group)) Model().SelectedGroup() = group;
}

}  // namespace cbx::ui
