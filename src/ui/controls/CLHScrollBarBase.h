// The history list's thin vertical scroll bar (19 pixels): the text area's bar with its own
// pictures, and an active look while the rows do not all fit; it works the same either way.
#pragma once

#include "ui/controls/CScrollBarBase.h"

namespace cbx::ui {

class CLHScrollBarBase : public CScrollBarBase {
  Q_OBJECT
 public:
  static constexpr int kWidth = 19;

  explicit CLHScrollBarBase(QWidget* parent) : CScrollBarBase(parent, kWidth, kWidth) {}
  // The owner's rows: `count` of them, `page` visible, the first visible one.
  void SetScrollState(int count, int page, int first) { SetScrollInfo(0, count - 1, page, first); }
  void SetActive(bool active) {
    active_ = active;
    update();
  }
  bool Active() const { return active_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  bool active_ = true;
};

}  // namespace cbx::ui
