// The text area's scroll bar (14 pixels wide): arrows, a track and a framed thumb that show
// the owner's position and ask it to scroll.
#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

namespace cbx::ui {

class CScrollBarBase : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 14;
  enum Part { kNone = -1, kUpArrow = 0, kDownArrow = 1, kThumb = 2, kTrackBefore = 3, kTrackAfter = 4 };
  enum Action { kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3, kThumbTrack = 5 };

  explicit CScrollBarBase(QWidget* parent);
  // The kind of bar: its width and the length of its arrow buttons.
  CScrollBarBase(QWidget* parent, int width, int arrowLength);
  // The owner's scroll information; a page of 0 lets the thumb fill the track.
  void SetScrollInfo(int min, int max, int page, int position);
  std::function<void(Action action, int position)> onScroll;

  Part HitTest(const QPoint& p) const;
  QRect ThumbRect() const;
  int Position() const { return position_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  int TrackTop() const { return arrowLength_; }
  int TrackBottom() const { return height() - arrowLength_; }
  Part Pressed() const { return pressed_; }

 private:
  void Repeat();

  int arrowLength_ = 12;
  int min_ = 0, max_ = 0, page_ = 0, position_ = 0;
  Part pressed_ = kNone;
  int repeat_ = 0, pressY_ = 0, positionAtPress_ = 0;
  QTimer timer_;
};

}  // namespace cbx::ui
