// The left pane: every device met, in history order, with a separator row between
// categories. The connected device's name is orange; picking a row shows its record on its
// home screen; the row under the pointer offers a delete button (not for the connected one).
// The view holds the history dialog, which holds the list.
#pragma once

#include <QWidget>
#include <vector>

#include "ui/controls/CListCtrlBase.h"
#include "ui/screens/ScreenContext.h"

namespace cbx {
class SessionUi;
}

namespace cbx::ui {

class CLensHistoryDialog : public QWidget {
  Q_OBJECT
 public:
  CLensHistoryDialog(ScreenContext& context, SessionUi& ui, QWidget* parent);
  // The rows again from the lens history (after a load, an import or a change).
  void Fill();
  // The connected device's record index in the history (-1: none): its row becomes the
  // connected and the displayed row.
  void MarkConnected(int recordIndex);
  int RecordIndexOf(int row) const { return records_.at(static_cast<std::size_t>(row)); }
  int RowOfRecord(int recordIndex) const;
  CListCtrlBase* List() const { return list_; }

 protected:
  void keyPressEvent(QKeyEvent*) override {}

 private:
  void Click(int row, int column, const QPoint& point);
  void Delete(int row);
  void Display(int row);

  ScreenContext& context_;
  SessionUi& ui_;
  CListCtrlBase* list_;
  std::vector<int> records_;  // record index of each row, -1 for a separator
};

class CLensHistoryView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kRowHeight = CListCtrlBase::kRowHeight;

  CLensHistoryView(ScreenContext& context, SessionUi& ui, QWidget* parent);
  CLensHistoryDialog* Dialog() const { return dialog_; }

  // The dialog's and the list's faces, for the frame and for tests.
  void Fill() { dialog_->Fill(); }
  void MarkConnected(int recordIndex) { dialog_->MarkConnected(recordIndex); }
  int RowCount() const { return List()->RowCount(); }
  bool IsSeparator(int row) const { return List()->IsSeparator(row); }
  int RecordIndexOf(int row) const { return dialog_->RecordIndexOf(row); }
  int ConnectedRow() const { return List()->ConnectedRow(); }
  int DisplayedRow() const { return List()->DisplayedRow(); }
  int ListWidth() const { return List()->ListWidth(); }
  QRect RowRect(int row) const { return List()->RowRect(row); }
  QRect DeleteButtonRect(int row) const { return List()->DeleteButtonRect(row); }
  bool ScrollBarActive() const { return List()->ScrollBarActive(); }
  class CLHScrollBarBase* ScrollBar() const { return List()->ScrollBar(); }
  int FirstRow() const { return List()->FirstRow(); }
  CListCtrlBase* List() const { return dialog_->List(); }

 private:
  CLensHistoryDialog* dialog_;
};

}  // namespace cbx::ui
