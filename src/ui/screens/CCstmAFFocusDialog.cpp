#include "ui/screens/CCstmAFFocusDialog.h"

#include <QPainter>
#include <algorithm>
#include <span>

#include "app/Log.h"
#include "ui/controls/CAFAdjustGrid.h"
#include "ui/controls/CBasicButton.h"
#include "ui/controls/CSpinBase.h"
#include "ui/controls/CStaticBase.h"
#include "ui/controls/CTrackBarBase.h"

namespace cbx::ui {

namespace {
constexpr int kFnBack = 50, kFnWrite = 51, kFnUpdateAFGridValue = 52;
constexpr unsigned kLine = kFormatSingleLine | kFormatVCenter;
constexpr int kLeft = (CControlAreaBaseDialog::kWidth - CAFAdjustGrid::kWidth) / 2;
constexpr int kPictureHeight = 40;
// Zoom lenses stack four grids under the picture; other lenses have one, lower down.
constexpr int kZoomPictureTop = 160, kSinglePictureTop = 188;
constexpr int kZoomSpinTop = 83, kSingleSpinTop = 101;
constexpr int kSpinLeft = 275, kSliderLeft = 213;
}  // namespace

CCstmAFFocusDialog::CCstmAFFocusDialog(ScreenContext& context, QWidget* parent)
    : CCustomScreen(context, lens::kScreenAfFocus, parent) {
  LayOut();
}

void CCstmAFFocusDialog::LayOut() {
  AddTitle(1300);
  AddText(QRect(40, 58, 572, 22), 1301, kLine);
  spin_ = new CSpinBase(this);
  connect(spin_, &CSpinBase::SpinChanged, this, [this](int value) { OnSpinChanged(value); });
  slider_ = new CTrackBarBase(this);
  connect(slider_, &CTrackBarBase::TrackChanged, this, [this](int position) { OnSliderMoved(position); });
  for (std::size_t k = 0; k < grids_.size(); ++k) {
    grids_[k] = new CAFAdjustGrid(cells_[k], 0, this);
    connect(grids_[k], &CAFAdjustGrid::GridSelected, this, [this](CAFAdjustGrid* grid) { OnGridSelected(grid); });
  }
  description_ = AddText(QRect(40, 336, 572, 56), 1302, kFormatWordBreak);
  clear_ = AddLensButton(1, 1304, QRect(177, 404, 0, 0), [this] { ClearAll(); });
  write_ = AddLensButton(1, 1303, QRect(332, 404, 0, 0), [this] { Write(); });
  back_ = AddButton(1, 1305, QRect(487, 404, 0, 0), [this] { BackFlow(lens::kScreenCustomMenu); });
  ClearSelection();
}

CBasicButton* CCstmAFFocusDialog::Button(int control) const {
  switch (control) {
    case 1012: return write_;
    case 1011: return clear_;
    case 1010: return back_;
    default: return nullptr;
  }
}

void CCstmAFFocusDialog::Refresh() {
  lens::LensSettingsModel& m = Model();
  gridCount_ = lens::AfGridCount(m.LensInfo());
  const bool zoom = gridCount_ > 1;
  picture_ = QImage();
  if (const std::string& path = Lens().focusFcImagePath; !path.empty()) picture_.load(QString::fromStdString(path));
  picturePlace_ = QPoint(kLeft, zoom ? kZoomPictureTop : kSinglePictureTop);
  for (int k = 0; k < lens::kAfGridCount; ++k) {
    CAFAdjustGrid* grid = grids_[static_cast<std::size_t>(k)];
    grid->SetStyle(zoom ? 0 : 1);
    grid->move(kLeft, picturePlace_.y() + kPictureHeight + CAFAdjustGrid::kHeight * k);
    grid->setVisible(k < gridCount_);
  }
  spin_->move(kSpinLeft, zoom ? kZoomSpinTop : kSingleSpinTop);
  slider_->move(kSliderLeft, spin_->y() + 25);

  // The cells show what the lens holds; nothing is selected.
  cells_.fill(lens::AfGridState{});
  try {
    m.UpdateAFGridValue(std::span(cells_.data(), static_cast<std::size_t>(gridCount_)));
  } catch (const lens::LensModelArgumentError&) {
    ReportError(kFnUpdateAFGridValue, lens::kErrAfData);  // no place for this lens's table
  }
  ClearSelection();
  UpdateWriteButton();
  update();
}

void CCstmAFFocusDialog::ClearSelection() {
  current_ = -1;
  for (CAFAdjustGrid* grid : grids_) grid->SetSelectedCell(-1);
  slider_->SetRange(lens::kAfValueMin, lens::kAfValueMax);
  slider_->SetPosition(0);
  slider_->setEnabled(false);
  spin_->SetValue(CSpinBase::kNoValue);
  spin_->setEnabled(false);
}

void CCstmAFFocusDialog::OnGridSelected(CAFAdjustGrid* grid) {
  const auto it = std::find(grids_.begin(), grids_.end(), grid);
  if (it == grids_.end() || grid->SelectedCell() < 0) return;
  for (CAFAdjustGrid* other : grids_) {
    if (other != grid) other->SetSelectedCell(-1);
  }
  current_ = static_cast<int>(it - grids_.begin());
  const auto cell = static_cast<std::size_t>(grid->SelectedCell());
  const std::int32_t base = grid->State().base[cell];
  const int shown = lens::ClampAfCell(grid->State().value[cell], base);
  const int low = lens::ClampAfCell(INT32_MIN, base), high = lens::ClampAfCell(INT32_MAX, base);
  spin_->SetRange(low, high);
  spin_->SetValue(shown);
  spin_->setEnabled(true);
  slider_->SetRange(low, high);
  slider_->SetPosition(shown);
  slider_->setEnabled(true);
}

void CCstmAFFocusDialog::OnSliderMoved(int position) {
  spin_->SetValue(position);
  EditSelectedCell(position);
}

void CCstmAFFocusDialog::OnSpinChanged(int value) {
  slider_->SetPosition(value);
  EditSelectedCell(value);
}

void CCstmAFFocusDialog::EditSelectedCell(int value) {
  if (current_ < 0 || current_ >= gridCount_) return;
  CAFAdjustGrid* grid = grids_[static_cast<std::size_t>(current_)];
  if (grid->SelectedCell() < 0) return;
  try {
    write_->setEnabled(lens::EditAfCell(Model(), std::span(cells_.data(), static_cast<std::size_t>(gridCount_)),
                                        current_, grid->SelectedCell(), value));
  } catch (const lens::LensModelArgumentError&) {
    UpdateWriteButton();  // the product information gives this grid no rows
  }
  grid->update();
}

bool CCstmAFFocusDialog::ChangeTest() const {
  try {
    return Model().IsChangeAFData();
  } catch (const lens::LensModelArgumentError&) {
    return false;  // no table to compare with: nothing to write either
  }
}

void CCstmAFFocusDialog::UpdateWriteButton() { write_->setEnabled(ChangeTest()); }

void CCstmAFFocusDialog::ClearAll() {
  if (!ResetFlow()) return;
  // "No adjustment" means the whole table, also bytes that no zone of the grids reaches.
  Model().afEditBuffer = lens::LensSettingsModel::FilledTable();
  try {
    Model().ClearAfAdjustment(std::span(cells_.data(), static_cast<std::size_t>(gridCount_)));
  } catch (const lens::LensModelArgumentError&) {
  }
  UpdateWriteButton();
  ClearSelection();
  for (CAFAdjustGrid* grid : grids_) grid->update();
}

void CCstmAFFocusDialog::Write() {
  if (!WriteAf()) return;
  // The image now holds what was written: the buffers follow it.
  lens::LensSettingsModel& m = Model();
  bool ok = ReloadAfTable(0);
  for (int set = 0; set < lens::kAfSetCount; ++set) {
    try {
      ok = m.ReadAfTableOfSet(set, m.afSetBuffers[static_cast<std::size_t>(set)]) && ok;
    } catch (const lens::LensModelArgumentError&) {
      ok = false;
    }
  }
  if (!ok) ReportError(kFnWrite, lens::kErrAfData);
  Refresh();
}

bool CCstmAFFocusDialog::HasUnsavedChanges() const { return ChangeTest(); }

void CCstmAFFocusDialog::DropEdits() { ReloadAfTable(kFnBack); }

void CCstmAFFocusDialog::PaintContent(QPainter& p) {
  if (!picture_.isNull()) p.drawImage(picturePlace_, picture_);
}

}  // namespace cbx::ui
