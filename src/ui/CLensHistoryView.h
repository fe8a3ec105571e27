// The left pane: every device met, in history order, the connected one marked; picking a
// row shows that device's record on its home screen.
#pragma once

#include <QWidget>

#include "ui/screens/ScreenContext.h"

namespace cbx::ui {

class CLensHistoryView : public QWidget {
  Q_OBJECT
 public:
  CLensHistoryView(ScreenContext& context, QWidget* parent);
  // The connected device's row (-1: none).
  void MarkConnected(int index) {
    connected_ = index;
    update();
  }
  int RowCount() const { return context_.state.lensHistory.Size(); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override {}

 private:
  static constexpr int kRowHeight = 44;
  ScreenContext& context_;
  int connected_ = -1;
};

}  // namespace cbx::ui
