#include "ui/CLensHistoryView.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>

#include "ui/Theme.h"
#include "ui/controls/CLHScrollBarBase.h"
#include "update/SessionUi.h"

namespace cbx::ui {

namespace {

constexpr int kMessageDeleteQuestion = 16;

int HomeScreenOf(int category) { return category == 1 ? 9 : category == 2 ? 10 : 0; }

}  // namespace

CLensHistoryView::CLensHistoryView(ScreenContext& context, SessionUi& ui, QWidget* parent)
    : QWidget(parent), context_(context), ui_(ui) {
  setFixedSize(260, 450);
  setMouseTracking(true);
  bar_ = new CLHScrollBarBase(this);
  bar_->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
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

// An empty list gives the bar's place back to the rows.
int CLensHistoryView::ListWidth() const { return bar_->isVisibleTo(this) ? width() - kScrollBarWidth : width(); }

void CLensHistoryView::UpdateScrollBar() {
  bar_->setVisible(RowCount() > 0);
  bar_->SetActive(ScrollBarActive());
  bar_->SetScrollState(RowCount(), height() / kRowHeight, firstRow_);
}

void CLensHistoryView::Fill() {
  rows_.clear();
  const auto records = context_.state.lensHistory.Records();
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (i > 0 && records[i].deviceCategory != records[i - 1].deviceCategory) rows_.push_back(-1);
    rows_.push_back(static_cast<int>(i));
  }
  const int index = context_.state.lensHistory.IndexOf(context_.state.currentDevice);
  const bool connected = !context_.controller.NoCurrentDevice() && index >= 0;
  connected_ = connected ? RowOfRecord(index) : -1;
  if (displayed_ >= RowCount()) displayed_ = -1;
  hover_ = -1;
  ScrollTo(firstRow_);
  update();
}

void CLensHistoryView::MarkConnected(int recordIndex) {
  Fill();
  connected_ = recordIndex >= 0 ? RowOfRecord(recordIndex) : -1;
  displayed_ = connected_;
  update();
}

int CLensHistoryView::RowOfRecord(int recordIndex) const {
  for (int row = 0; row < RowCount(); ++row)
    if (rows_[static_cast<std::size_t>(row)] == recordIndex) return row;
  return -1;
}

QRect CLensHistoryView::RowRect(int row) const { return QRect(0, (row - firstRow_) * kRowHeight, ListWidth(), kRowHeight); }

QRect CLensHistoryView::DeleteButtonRect(int row) const {
  const QRect r = RowRect(row);
  return QRect(r.right() - kDeleteSize, r.top(), kDeleteSize, kDeleteSize);
}

int CLensHistoryView::RowAt(const QPoint& p) const {
  if (p.x() < 0 || p.x() >= ListWidth() || p.y() < 0) return -1;
  const int row = firstRow_ + p.y() / kRowHeight;
  return row < RowCount() ? row : -1;
}

void CLensHistoryView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kThemeBase);
  DrawPng(p, QPoint(0, 0), 418);
  const auto records = context_.state.lensHistory.Records();
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
    const std::size_t index = static_cast<std::size_t>(RecordIndexOf(row));
    if (index >= records.size()) continue;
    TextItem name;
    name.text = QString::fromStdString(records[index].productName);
    name.font = QFont(QStringLiteral("DejaVu Sans"), 9);
    name.color = isConnected ? kTitleHighlight : QColor(Qt::white);
    DrawTextItem(p, QRect(r.left() + 5, r.top(), ListWidth() - 17 - 5, r.height()), name,
                 kFormatLeft | kFormatVCenter | kFormatSingleLine | kFormatEndEllipsis);
    if (hover && !isConnected) {
      const QRect button = DeleteButtonRect(row);
      const bool hot = button.contains(pointer) && (!pressed || row == pressed_);
      p.setRenderHint(QPainter::SmoothPixmapTransform);
      DrawPng(p, button.topLeft(), hot ? 363 : 364);
    }
  }
}

int CLensHistoryView::MaxFirstRow() const { return std::max(0, RowCount() - height() / kRowHeight); }

void CLensHistoryView::ScrollTo(int firstRow) {
  firstRow_ = std::clamp(firstRow, 0, MaxFirstRow());
  UpdateScrollBar();
  update();
}

void CLensHistoryView::wheelEvent(QWheelEvent* e) { ScrollTo(firstRow_ - e->angleDelta().y() / 40); }

void CLensHistoryView::mouseMoveEvent(QMouseEvent* e) {
  const int row = RowAt(e->position().toPoint());
  if (row != hover_) hover_ = row;
  update();
}

void CLensHistoryView::leaveEvent(QEvent*) {
  hover_ = -1;
  update();
}

void CLensHistoryView::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  pressed_ = RowAt(e->position().toPoint());
  update();
}

void CLensHistoryView::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint point = e->position().toPoint();
  const int row = RowAt(point);
  const int pressed = pressed_;
  pressed_ = -1;
  if (row >= 0 && row == pressed) Click(row, point);
  update();
}

void CLensHistoryView::Click(int row, const QPoint& point) {
  if (IsSeparator(row)) return;
  const bool deleteColumn = point.x() >= ListWidth() - 23;
  if (row != connected_ && deleteColumn) {
    if (DeleteButtonRect(row).contains(point)) Delete(row);
    return;
  }
  Display(row);
}

void CLensHistoryView::Delete(int row) {
  AppState& st = context_.state;
  st.openMessageDialog = kMessageDeleteQuestion;
  const int answer = ui_.AskMessage(kMessageDeleteQuestion);
  st.openMessageDialog = 0;
  if (answer != kResultYes) return;
  const int index = RecordIndexOf(row);
  if (index < 0 || index >= st.lensHistory.Size()) return;
  const bool wasShown = st.lensHistory.GetAt(index).IsSameDevice(st.shownDevice);
  const int displayedRecord = displayed_ >= 0 && !IsSeparator(displayed_) ? RecordIndexOf(displayed_) : -1;
  st.lensHistory.RemoveAt(index);
  Fill();
  // The displayed row follows its record; the deleted one is displayed no more.
  if (displayedRecord == index || displayedRecord < 0) {
    displayed_ = -1;
  } else {
    displayed_ = RowOfRecord(displayedRecord > index ? displayedRecord - 1 : displayedRecord);
  }
  update();
  if (wasShown) {
    ui_.SetDeviceTitle({}, false);
    context_.showScreen(-1);
  }
}

void CLensHistoryView::Display(int row) {
  AppState& st = context_.state;
  const int index = RecordIndexOf(row);
  if (index < 0 || index >= st.lensHistory.Size()) return;
  const update::CLensUpdateInfoData record = st.lensHistory.GetAt(index);
  if (record.IsSameDevice(st.shownDevice)) return;
  st.shownDevice = record;
  ui_.SetDeviceTitle(record.productName, context_.controller.IsCurrentDeviceShown());
  context_.showScreen(HomeScreenOf(record.deviceCategory));
  displayed_ = row;
  update();
}

}  // namespace cbx::ui
