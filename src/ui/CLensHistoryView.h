// The left pane: every device met, in history order, with a separator row between
// categories. The connected device's name is orange; picking a row shows its record on its
// home screen; the row under the pointer offers a delete button (not for the connected one).
#pragma once

#include <QWidget>
#include <vector>

#include "ui/screens/ScreenContext.h"

namespace cbx {
class SessionUi;
}

namespace cbx::ui {

class CLHScrollBarBase;

class CLensHistoryView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kRowHeight = 22;
  static constexpr int kScrollBarWidth = 19;
  static constexpr int kDeleteSize = 22;

  CLensHistoryView(ScreenContext& context, SessionUi& ui, QWidget* parent);

  // The rows again from the lens history (after a load, an import or a change).
  void Fill();
  // The connected device's record index in the history (-1: none): its row becomes the
  // connected and the displayed row.
  void MarkConnected(int recordIndex);

  // Rows: records and separators.
  int RowCount() const { return static_cast<int>(rows_.size()); }
  bool IsSeparator(int row) const { return rows_.at(static_cast<std::size_t>(row)) < 0; }
  int RecordIndexOf(int row) const { return rows_.at(static_cast<std::size_t>(row)); }
  int RowOfRecord(int recordIndex) const;
  int ConnectedRow() const { return connected_; }
  int DisplayedRow() const { return displayed_; }
  // The list's width without the scroll bar, and where a row's delete button lies.
  int ListWidth() const;
  QRect DeleteButtonRect(int row) const;
  QRect RowRect(int row) const;
  bool ScrollBarActive() const { return RowCount() * kRowHeight > height(); }
  CLHScrollBarBase* ScrollBar() const { return bar_; }
  int FirstRow() const { return firstRow_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void leaveEvent(QEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void keyPressEvent(QKeyEvent*) override {}

 private:
  int RowAt(const QPoint& p) const;
  void Click(int row, const QPoint& p);
  void Delete(int row);
  void Display(int row);
  void ScrollTo(int firstRow);
  int MaxFirstRow() const;
  void UpdateScrollBar();

  ScreenContext& context_;
  SessionUi& ui_;
  std::vector<int> rows_;  // record index, or -1 for a separator
  int connected_ = -1, displayed_ = -1, hover_ = -1, pressed_ = -1;
  int firstRow_ = 0;
  CLHScrollBarBase* bar_;
};

}  // namespace cbx::ui
