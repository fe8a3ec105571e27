#include "ui/controls/CListCtrlBase.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "ui/Theme.h"
#include "ui/controls/CLHScrollBarBase.h"

namespace cbx::ui {

CListCtrlBase::CListCtrlBase(const QSize& size, QWidget* parent) : QWidget(parent) {
  setFixedSize(size);
  setMouseTracking(true);
  bar_ = new CLHScrollBarBase(this);
  bar_->setGeometry(width() - CLHScrollBarBase::kWidth, 0, CLHScrollBarBase::kWidth, height());
  bar_->onScroll = [this](CLHScrollBarBase::Action action, int value) {
    const int page = height() / kRowHeight;
    switch (action) {
      case CLHScrollBarBase::kLineUp: ScrollTo(firstRow_ - 1); break;
      case CLHScrollBarBase::kLineDown: ScrollTo(firstRow_ + 1); break;
      case CLHScrollBarBase::kPageUp: ScrollTo(firstRow_ - page); break;
      case CLHScrollBarBase::kPageDown: ScrollTo(firstRow_ + page); break;
      case CLHScrollBarBase::kThumbTrack: ScrollTo(value); break;
    }
  };
  UpdateScrollBar();
}

void CListCtrlBase::SetRows(std::vector<Row> rows) {
  rows_ = std::move(rows);
  hover_ = -1;
  if (connected_ >= RowCount()) connected_ = -1;
  if (displayed_ >= RowCount()) displayed_ = -1;
  ScrollTo(firstRow_);
}

void CListCtrlBase::SetConnectedRow(int row) {
  connected_ = row;
  update();
}

void CListCtrlBase::SetDisplayedRow(int row) {
  displayed_ = row;
  repaint();
}

// An empty list gives the bar's place back to the rows.
int CListCtrlBase::ListWidth() const {
  return bar_->isVisibleTo(this) ? width() - CLHScrollBarBase::kWidth : width();
}

QRect CListCtrlBase::RowRect(int row) const { return QRect(0, (row - firstRow_) * kRowHeight, ListWidth(), kRowHeight); }

QRect CListCtrlBase::DeleteButtonRect(int row) const {
  const QRect r = RowRect(row);
  return QRect(r.right() - kDeleteSize, r.top(), kDeleteSize, kDeleteSize);
}

int CListCtrlBase::RowAt(const QPoint& p) const {
  if (p.x() < 0 || p.x() >= ListWidth() || p.y() < 0) return -1;
  const int row = firstRow_ + p.y() / kRowHeight;
  return row < RowCount() ? row : -1;
}

int CListCtrlBase::MaxFirstRow() const { return std::max(0, RowCount() - height() / kRowHeight); }

void CListCtrlBase::ScrollTo(int firstRow) {
  firstRow_ = std::clamp(firstRow, 0, MaxFirstRow());
  UpdateScrollBar();
  update();
}

void CListCtrlBase::UpdateScrollBar() {
  bar_->setVisible(RowCount() > 0);
  bar_->SetActive(ScrollBarActive());
  bar_->SetScrollState(RowCount(), height() / kRowHeight, firstRow_);
}

void CListCtrlBase::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kThemeBase);
  DrawPng(p, QPoint(0, 0), 418);
  const bool pressed = (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0;
  const QPoint pointer = mapFromGlobal(QCursor::pos());
  for (int row = firstRow_; row < RowCount(); ++row) {
    const QRect r = RowRect(row);
    if (r.top() >= height()) break;
    if (IsSeparator(row)) {
      p.setPen(FromBgr(0x5A5A5A));
      p.drawLine(10, r.top() + 10, 234, r.top() + 10);
      continue;
    }
    const bool hover = row == hover_;
    const bool isConnected = row == connected_;
    if (hover) {
      const bool down = pressed && row == pressed_;
      p.fillRect(r, FromBgr(isConnected ? (down ? 0xA7C4D5 : 0x8D8D8D) : (down ? 0x9EBACB : 0x8E8E8E)));
    } else if (row == displayed_) {
      p.fillRect(r, FromBgr(0x464646));
    }
    TextItem name;
    name.text = rows_[static_cast<std::size_t>(row)].text;
    name.font = QFont(QStringLiteral("DejaVu Sans"), 9);
    name.color = isConnected ? kTitleHighlight : QColor(Qt::white);
    DrawTextItem(p, QRect(r.left() + 5, r.top(), ListWidth() - 17 - 5, r.height()), name,
                 kFormatLeft | kFormatVCenter | kFormatSingleLine | kFormatEndEllipsis);
    if (hover && !isConnected) {
      const QRect button = DeleteButtonRect(row);
      const bool hot = !busy_ && button.contains(pointer) && (!pressed || row == pressed_);
      p.setRenderHint(QPainter::SmoothPixmapTransform);
      DrawPng(p, button.topLeft(), hot ? 363 : 364);
    }
  }
}

void CListCtrlBase::wheelEvent(QWheelEvent* e) { ScrollTo(firstRow_ - e->angleDelta().y() / 40); }

void CListCtrlBase::mouseMoveEvent(QMouseEvent* e) {
  hover_ = RowAt(e->position().toPoint());
  update();
}

void CListCtrlBase::leaveEvent(QEvent*) {
  hover_ = -1;
  update();
}

void CListCtrlBase::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  pressed_ = RowAt(e->position().toPoint());
  update();
}

void CListCtrlBase::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint point = e->position().toPoint();
  const int row = RowAt(point);
  const int pressed = pressed_;
  pressed_ = -1;
  repaint();
  if (row >= 0 && row == pressed) emit Clicked(row, point.x() >= ListWidth() - 23 ? 1 : 0, point);
}

}  // namespace cbx::ui
