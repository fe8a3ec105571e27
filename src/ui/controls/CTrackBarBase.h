// The sliders: a track picture with a thumb that the pointer presses, drags and steps, and a
// value label. The standard slider runs -20..20 over a minus/zero/plus scale; the MF slider
// (CMFTrackBar) sits on a tick scale and has a disabled look.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace cbx::ui {

class CTrackBarBase : public QWidget {
  Q_OBJECT
 public:
  enum Part { kNone = -1, kThumb = 2, kTrackBefore = 3, kTrackAfter = 4 };

  explicit CTrackBarBase(QWidget* parent);

  // A range whose minimum is not below its maximum becomes 0..0; the position is clamped.
  void SetRange(int min, int max);
  void SetPosition(int position);
  int Position() const { return position_; }
  // The label: a format filled with position x scale, or one of the label strings.
  void SetLabelFormat(const QString& format, double scale, bool floating);
  void SetLabels(std::vector<QString> labels);
  void SetShowLabel(bool show, bool large = false);
  QString LabelText() const;
  // Sliders that light up together with this one (UM_TRACK_FOCUS).
  void SetNeighbours(CTrackBarBase* left, CTrackBarBase* right);
  // Whether the parent hears of every change (and the slider repeats while held) or once.
  void SetNotifyWhileMoving(bool notify) { notifyWhileMoving_ = notify; }
  void OnTrackFocus(int state);
  int HighlightState() const { return highlight_; }

  QRect TrackRect() const { return track_; }
  QRect ThumbRect() const;
  Part HitTest(const QPoint& p) const;

 signals:
  // UM_TRACK_CHANGED: the position moved.
  void TrackChanged(int position);

 protected:
  CTrackBarBase(QWidget* parent, const QRect& track, int trackPicture, int disabledThumb, int thumbSpan);
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override {}
  void wheelEvent(QWheelEvent*) override {}
  void leaveEvent(QEvent*) override;
  void keyPressEvent(QKeyEvent*) override {}

 private:
  void MoveTo(int position, bool notify);
  void Release();

  QRect track_;
  int trackPicture_, disabledThumb_, thumbSpan_;
  int position_ = 0, min_ = -20, max_ = 20;
  Part part_ = kNone;
  CTrackBarBase* left_ = nullptr;
  CTrackBarBase* right_ = nullptr;
  bool useFormat_ = true;
  QString format_ = QStringLiteral("%-3.1f");
  double scale_ = 0.1;
  bool floating_ = true;
  std::vector<QString> labels_;
  bool showLabel_ = false, largeLabel_ = false;
  bool notifyWhileMoving_ = true;
  bool hover_ = false, pressed_ = false, suppress_ = false;
  int highlight_ = -1;
  int pressX_ = 0, pressY_ = 0, positionAtPress_ = 0;
  QElapsedTimer lastPress_;
  QTimer timer_;
};

class CMFTrackBar : public CTrackBarBase {
  Q_OBJECT
 public:
  explicit CMFTrackBar(QWidget* parent);
  void Enable(bool enabled) { setEnabled(enabled); }
};

}  // namespace cbx::ui
