#include "ui/controls/CAFAdjustGrid.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/Theme.h"

namespace cbx::ui {

namespace {
constexpr int kCellLeft = 78, kCellPitch = 126, kCellWidth = 125, kHeaderBottom = 23, kBodyBottom = 512;
constexpr int kZoomRowPicture = 611, kSingleGridPicture = 612;
}  // namespace

CAFAdjustGrid::CAFAdjustGrid(lens::AfGridState& state, int style, QWidget* parent)
    : QWidget(parent), state_(state), style_(style) {
  setFixedSize(kWidth, kHeight);
}

void CAFAdjustGrid::SetSelectedCell(int cell) {
  state_.selectedCell = cell >= 0 && cell < lens::kAfGridCells ? cell : -1;
  update();
}

void CAFAdjustGrid::SetStyle(int style) {
  style_ = style;
  update();
}

QRect CAFAdjustGrid::HeaderCell(int cell) {
  const int left = kCellLeft + kCellPitch * cell;
  return QRect(left, 0, kCellWidth, kHeaderBottom);
}

QRect CAFAdjustGrid::BodyCell(int cell) {
  const int left = kCellLeft + kCellPitch * cell;
  return QRect(left, kHeaderBottom, kCellWidth, kBodyBottom - kHeaderBottom);
}

int CAFAdjustGrid::CellAt(const QPoint& p) {
  for (int cell = 0; cell < lens::kAfGridCells; ++cell) {
    if (HeaderCell(cell).contains(p) || BodyCell(cell).contains(p)) return cell;
  }
  return -1;
}

QString CAFAdjustGrid::CellText(int cell) const {
  const std::int32_t v = state_.value[static_cast<std::size_t>(cell)];
  if (v == lens::kAfCellNotLoaded) return {};
  return v > 0 ? QStringLiteral("+%1").arg(v) : QString::number(v);
}

void CAFAdjustGrid::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !isEnabled()) return;
  const int cell = CellAt(e->position().toPoint());
  if (cell < 0) return;
  SetSelectedCell(cell);
  repaint();
  emit GridSelected(this);
}

void CAFAdjustGrid::paintEvent(QPaintEvent*) {
  QPainter p(this);
  DrawPng(p, QPoint(0, 0), style_ == 1 ? kSingleGridPicture : kZoomRowPicture);
  TextItem caption;
  caption.text = QString::fromStdString(state_.label);
  caption.color = kTitleText;
  caption.font = QFont(QStringLiteral("DejaVu Sans"), 9, QFont::Bold);
  DrawTextItem(p, QRect(4, 0, kCellLeft - 8, kHeight), caption, kFormatCenter | kFormatVCenter | kFormatSingleLine);
  for (int cell = 0; cell < lens::kAfGridCells; ++cell) {
    const QRect box(kCellLeft + kCellPitch * cell, 1, kCellWidth, kHeight - 2);
    const bool selected = cell == state_.selectedCell;
    if (selected) {
      QColor wash = kTitleHighlight;
      wash.setAlpha(60);
      p.fillRect(box.adjusted(1, 1, -1, -1), wash);
      p.setPen(QPen(kTitleHighlight, 2));
      p.drawRect(box.adjusted(1, 1, -1, -1));
    }
    TextItem value;
    value.text = CellText(cell);
    value.color = selected ? QColor(Qt::white) : kTitleText;
    value.font = QFont(QStringLiteral("DejaVu Sans"), 10, selected ? QFont::Bold : QFont::Normal);
    DrawTextItem(p, box, value, kFormatCenter | kFormatVCenter | kFormatSingleLine);
  }
}

}  // namespace cbx::ui
