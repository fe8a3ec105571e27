// One row of the AF fine-adjustment editor: a focal-length caption and four cells, one per
// distance zone. A click on a cell selects it and tells the parent which grid it was.
#pragma once

#include <QRect>
#include <QWidget>

#include "lens/AfData.h"

namespace cbx::ui {

class CAFAdjustGrid : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 582, kHeight = 32;
  // Style 0: one of the stacked grids of a zoom lens; 1: the single grid of other lenses.
  CAFAdjustGrid(lens::AfGridState& state, int style, QWidget* parent);

  // The cell values, base values, caption and selection live in the state the grid shows.
  lens::AfGridState& State() { return state_; }
  const lens::AfGridState& State() const { return state_; }
  int SelectedCell() const { return state_.selectedCell; }
  void SetSelectedCell(int cell);
  void SetStyle(int style);

  static QRect HeaderCell(int cell);
  static QRect BodyCell(int cell);
  // The cell under a point, -1 for none.
  static int CellAt(const QPoint& p);
  // What a cell shows: "+3", "0", "-2", or nothing before a value was loaded.
  QString CellText(int cell) const;

 signals:
  // UM_GRID_SELECTED
  void GridSelected(CAFAdjustGrid* grid);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }
  void wheelEvent(QWheelEvent*) override {}
  void keyPressEvent(QKeyEvent*) override {}

 private:
  lens::AfGridState& state_;
  int style_;
};

}  // namespace cbx::ui
