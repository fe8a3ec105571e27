// The owner-drawn report list of the history: rows of 22 pixels (a name, or a separator),
// the connected row in orange, the displayed row lit, the row under the pointer lighter
// with a delete button, and the kit's thin scroll bar against its right edge.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

namespace cbx::ui {

class CLHScrollBarBase;

class CListCtrlBase : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kRowHeight = 22;
  static constexpr int kDeleteSize = 22;

  CListCtrlBase(const QSize& size, QWidget* parent);

  struct Row {
    QString text;
    bool separator = false;
  };
  void SetRows(std::vector<Row> rows);
  int RowCount() const { return static_cast<int>(rows_.size()); }
  bool IsSeparator(int row) const { return rows_.at(static_cast<std::size_t>(row)).separator; }

  void SetConnectedRow(int row);
  void SetDisplayedRow(int row);
  int ConnectedRow() const { return connected_; }
  int DisplayedRow() const { return displayed_; }
  // While busy the delete button never lights up.
  void SetBusy(bool busy) { busy_ = busy; }

  int ListWidth() const;
  QRect RowRect(int row) const;
  QRect DeleteButtonRect(int row) const;
  bool ScrollBarActive() const { return RowCount() * kRowHeight > height(); }
  CLHScrollBarBase* ScrollBar() const { return bar_; }
  int FirstRow() const { return firstRow_; }
  void ScrollTo(int firstRow);

 signals:
  // The click notification: the row, its column (0 name, 1 delete button) and the point.
  void Clicked(int row, int column, QPoint point);

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
  int MaxFirstRow() const;
  void UpdateScrollBar();

  std::vector<Row> rows_;
  int connected_ = -1, displayed_ = -1, hover_ = -1, pressed_ = -1;
  int firstRow_ = 0;
  bool busy_ = false;
  CLHScrollBarBase* bar_;
};

}  // namespace cbx::ui
