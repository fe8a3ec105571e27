// Screen 2: the AF fine-adjustment table of the current set, edited on one grid per focal
// length (one for a prime lens) with a slider and a spin box for the selected cell, and
// written with its own Write button.
#pragma once

#include <array>

#include "lens/AfData.h"
#include "ui/screens/CCustomScreen.h"

namespace cbx::ui {

class CAFAdjustGrid;
class CSpinBase;
class CTrackBarBase;

class CCstmAFFocusDialog : public CCustomScreen {
  Q_OBJECT
 public:
  CCstmAFFocusDialog(ScreenContext& context, QWidget* parent);
  void LayOut() override;
  void Refresh() override;
  bool HasUnsavedChanges() const override;
  void DropEdits() override;

  int GridCount() const { return gridCount_; }
  CAFAdjustGrid* Grid(int index) const { return grids_[static_cast<std::size_t>(index)]; }
  CTrackBarBase* Slider() const { return slider_; }
  CSpinBase* Spin() const { return spin_; }
  CBasicButton* Button(int control) const;

 private:
  // UM_GRID_SELECTED, UM_TRACK_CHANGED and UM_SPIN_CHANGED.
  void OnGridSelected(CAFAdjustGrid* grid);
  void OnSliderMoved(int position);
  void OnSpinChanged(int value);
  // The selected cell takes the value; the Write button follows the change test.
  void EditSelectedCell(int value);
  // Slider off and the spin box empty until a cell is chosen.
  void ClearSelection();
  void UpdateWriteButton();
  bool ChangeTest() const;
  void ClearAll();
  void Write();

  std::array<lens::AfGridState, lens::kAfGridCount> cells_{};
  std::array<CAFAdjustGrid*, lens::kAfGridCount> grids_{};
  int gridCount_ = 1;
  int current_ = -1;  // the grid whose cell the slider and spin box edit
  QImage picture_;
  QPoint picturePlace_;
  CTrackBarBase* slider_ = nullptr;
  CSpinBase* spin_ = nullptr;
  CStaticBase* description_ = nullptr;
  CBasicButton* write_ = nullptr;
  CBasicButton* clear_ = nullptr;
  CBasicButton* back_ = nullptr;

 protected:
  void PaintContent(QPainter& p) override;
};

}  // namespace cbx::ui
