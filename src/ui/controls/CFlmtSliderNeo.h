// The focus limiter's slider: the lens's distance-scale picture with two handles that sit on
// ticks. A handle follows the pointer to the nearest tick; the arrow parts and the track
// beside handle 1 step it at once and again every 100 ms while the button is held.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace cbx::ui {

// One tick of the slider: where a handle standing on that index is drawn.
struct CFlmtSliderInfo {
  std::int32_t x = 0;  // on the 496-pixel scale
  std::int32_t reserved1 = 0;
  std::int32_t reserved2 = 0;
};

// What the slider tells its parent after every change and once on release (UM_TRACK_CHANGED).
struct FlmtTrackChange {
  int first = 0;   // handle 1 position
  int second = 0;  // handle 2 position
  int part = -1;   // the active part, -1 after a release
  int repeat = 0;  // repeats of the active part so far
};

class CFlmtSliderNeo : public QWidget {
  Q_OBJECT
 public:
  enum Part { kNone = -1, kDecrement = 0, kIncrement = 1, kFirstHandle = 2, kPageLeft = 3, kPageRight = 4, kSecondHandle = 5 };
  static constexpr int kScaleWidth = 496;
  static constexpr int kScaleLeft = 40;  // x of scale position 0 in the control
  static constexpr int kWidth = kScaleLeft * 2 + kScaleWidth, kHeight = 110;
  static constexpr int kRepeatMs = 100;
  // Arrow repeats move one step at a time until this many have been made, ten after that.
  static constexpr int kFineRepeats = 9;
  static constexpr int kCoarseStep = 10;

  explicit CFlmtSliderNeo(QWidget* parent);

  void SetBackground(const QImage& picture);
  void SetTicks(std::vector<CFlmtSliderInfo> ticks);
  const std::vector<CFlmtSliderInfo>& Ticks() const { return ticks_; }
  // Each handle's range; its position is clamped into it. A range with min above max is 0..0.
  void SetFirstRange(int min, int max);
  void SetSecondRange(int min, int max);
  void SetFirstPosition(int position);
  void SetSecondPosition(int position);
  int FirstPosition() const { return first_.position; }
  int SecondPosition() const { return second_.position; }
  // A limiter that sets one end only shows one handle.
  void SetSecondHandleShown(bool shown);
  bool SecondHandleShown() const { return secondShown_; }

  Part ActivePart() const { return part_; }
  int RepeatCount() const { return repeat_; }
  // Where each part is, in the control's coordinates (the page parts: the track beside
  // handle 1).
  QRect PartRect(Part part) const;
  Part HitTest(const QPoint& p) const;
  // One auto-repeat of the active part (the 100 ms timer calls it).
  void RepeatStep();

 signals:
  void TrackChanged(const FlmtTrackChange& change);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }
  void leaveEvent(QEvent*) override;
  void wheelEvent(QWheelEvent*) override {}
  void keyPressEvent(QKeyEvent*) override {}

 private:
  struct Handle {
    int position = 0, min = 0, max = 0;
    // An empty range becomes 0..0; the position stays inside the range.
    void SetRange(int low, int high) {
      if (low > high) low = high = 0;
      min = low;
      max = high;
      position = std::clamp(position, min, max);
    }
    void SetPosition(int p) { position = std::clamp(p, min, max); }
  };
  int TickX(int index) const;
  QRect HandleRect(const Handle& h, bool first) const;
  int NearestTick(int x, const Handle& h) const;
  // +1 when higher indices lie to the left (ticks drawn from the right end), else -1.
  int LeftwardStep() const;
  // Moves handle 1 (or the dragged handle) and tells the parent when it moved.
  void Move(Handle& h, int position);
  void Notify();
  void StepActivePart(int step);

  QImage background_;
  std::vector<CFlmtSliderInfo> ticks_;
  Handle first_, second_;
  bool secondShown_ = true;
  Part part_ = kNone;
  Part hover_ = kNone;
  int repeat_ = 0;
  QPoint pointer_;
  QTimer timer_;
};

}  // namespace cbx::ui
