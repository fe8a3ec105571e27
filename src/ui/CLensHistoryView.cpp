#include "ui/CLensHistoryView.h"

#include "update/SessionUi.h"

namespace cbx::ui {

namespace {
constexpr int kMessageDeleteQuestion = 16;
int HomeScreenOf(int category) { return category == 1 ? 9 : category == 2 ? 10 : 0; }
}  // namespace

CLensHistoryDialog::CLensHistoryDialog(ScreenContext& context, SessionUi& ui, QWidget* parent)
    : QWidget(parent), context_(context), ui_(ui), list_(new CListCtrlBase(QSize(260, 450), this)) {
  setFixedSize(260, 450);
  connect(list_, &CListCtrlBase::Clicked, this, &CLensHistoryDialog::Click);
}

void CLensHistoryDialog::Fill() {
  records_.clear();
  std::vector<CListCtrlBase::Row> rows;
  const auto history = context_.state.lensHistory.Records();
  for (std::size_t i = 0; i < history.size(); ++i) {
    if (i > 0 && history[i].deviceCategory != history[i - 1].deviceCategory) {
      rows.push_back({QString(), true});
      records_.push_back(-1);
    }
    rows.push_back({QString::fromStdString(history[i].productName), false});
    records_.push_back(static_cast<int>(i));
  }
  list_->SetRows(std::move(rows));
  const int index = context_.state.lensHistory.IndexOf(context_.state.currentDevice);
  list_->SetConnectedRow(!context_.controller.NoCurrentDevice() && index >= 0 ? RowOfRecord(index) : -1);
}

void CLensHistoryDialog::MarkConnected(int recordIndex) {
  Fill();
  const int row = recordIndex >= 0 ? RowOfRecord(recordIndex) : -1;
  list_->SetConnectedRow(row);
  list_->SetDisplayedRow(row);
}

int CLensHistoryDialog::RowOfRecord(int recordIndex) const {
  for (std::size_t row = 0; row < records_.size(); ++row)
    if (records_[row] == recordIndex) return static_cast<int>(row);
  return -1;
}

void CLensHistoryDialog::Click(int row, int column, const QPoint& point) {
  if (list_->IsSeparator(row)) return;
  if (row != list_->ConnectedRow() && column == 1) {
    if (list_->DeleteButtonRect(row).contains(point)) Delete(row);
    return;
  }
  Display(row);
}

void CLensHistoryDialog::Delete(int row) {
  AppState& st = context_.state;
  st.openMessageDialog = kMessageDeleteQuestion;
  const int answer = ui_.AskMessage(kMessageDeleteQuestion);
  st.openMessageDialog = 0;
  if (answer != kResultYes) return;
  const int index = RecordIndexOf(row);
  if (index < 0 || index >= st.lensHistory.Size()) return;
  const bool wasShown = st.lensHistory.GetAt(index).IsSameDevice(st.shownDevice);
  const int displayed = list_->DisplayedRow();
  const int displayedRecord = displayed >= 0 && !list_->IsSeparator(displayed) ? RecordIndexOf(displayed) : -1;
  st.lensHistory.RemoveAt(index);
  Fill();
  // The displayed row follows its record; the deleted one is displayed no more.
  if (displayedRecord == index || displayedRecord < 0) {
    list_->SetDisplayedRow(-1);
  } else {
    list_->SetDisplayedRow(RowOfRecord(displayedRecord > index ? displayedRecord - 1 : displayedRecord));
  }
  if (wasShown) {
    ui_.SetDeviceTitle({}, false);
    context_.showScreen(-1);
  }
}

void CLensHistoryDialog::Display(int row) {
  AppState& st = context_.state;
  const int index = RecordIndexOf(row);
  if (index < 0 || index >= st.lensHistory.Size()) return;
  // Unsaved edits of a customisation screen are not dropped without asking.
  if (!context_.leaveShownScreen()) return;
  const update::CLensUpdateInfoData record = st.lensHistory.GetAt(index);
  if (record.IsSameDevice(st.shownDevice)) return;
  st.shownDevice = record;
  ui_.SetDeviceTitle(record.productName, context_.controller.IsCurrentDeviceShown());
  context_.showScreen(HomeScreenOf(record.deviceCategory));
  list_->SetDisplayedRow(row);
}

CLensHistoryView::CLensHistoryView(ScreenContext& context, SessionUi& ui, QWidget* parent)
    : QWidget(parent), dialog_(new CLensHistoryDialog(context, ui, this)) {
  setFixedSize(260, 450);
}

}  // namespace cbx::ui
