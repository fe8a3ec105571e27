// The history list's thin vertical scroll bar: it shows the owner's scroll state and asks
// the owner to scroll by a line, a page or to a thumb position. Active while the rows do
// not all fit; it works the same either way.
#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

namespace cbx::ui {

class CLHScrollBarBase : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 19;
  enum Part { kNone = -1, kUpArrow = 0, kDownArrow = 1, kThumb = 2, kTrackBefore = 3, kTrackAfter = 4 };
  enum Action { kLineUp, kLineDown, kPageUp, kPageDown, kThumbTrack };

  explicit CLHScrollBarBase(QWidget* parent);
  // The owner's state: rows 0..count-1, `page` of them visible, the first visible one.
  void SetScrollState(int count, int page, int first);
  void SetActive(bool active);
  bool Active() const { return active_; }
  // What the owner does when asked to scroll; `value` is the row for a thumb track.
  std::function<void(Action action, int value)> onScroll;

  Part HitTest(const QPoint& p) const;
  QRect ThumbRect() const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  void Step();
  int TrackTop() const { return kWidth; }
  int TrackBottom() const { return height() - kWidth; }

  int count_ = 0, page_ = 1, first_ = 0;
  bool active_ = true;
  Part pressed_ = kNone;
  int pressY_ = 0, firstAtPress_ = 0;
  QTimer repeat_;
};

}  // namespace cbx::ui
