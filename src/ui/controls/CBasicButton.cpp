#include "ui/controls/CBasicButton.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace cbx::ui {

namespace {

struct StyleInfo {
  QSize size;
  int cap;
  std::array<int, 9> pieces;
};

const StyleInfo& Info(int style) {
  static const StyleInfo kSmall{{165, 28}, 10, {458, 459, 460, 452, 453, 454, 455, 456, 457}};
  static const StyleInfo kStyles[] = {
      kSmall,
      {{145, 28}, 10, kSmall.pieces},
      {{315, 28}, 10, kSmall.pieces},
      {{199, 64}, 10, {467, 468, 469, 461, 462, 463, 464, 465, 466}},
      {{199, 64}, 30, {449, 450, 451, 443, 444, 445, 446, 447, 474}},
      {{199, 64}, 30, {440, 441, 442, 434, 435, 436, 437, 473, 439}},
  };
  return kStyles[style >= 0 && style <= 5 ? style : 0];
}

constexpr std::uint32_t kDisabledLabel = 0x737373;

}  // namespace

QSize CBasicButton::StyleSize(int style) { return Info(style).size; }

CBasicButton::CBasicButton(int style, const TextItem& label, unsigned format, QWidget* parent)
    : QAbstractButton(parent), style_(style), capWidth_(Info(style).cap), pieces_(Info(style).pieces),
      disabledColor_(FromBgr(kDisabledLabel)), format_(format) {
  resize(Info(style).size);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  SetLabel(label, format);
}

void CBasicButton::SetLabel(const TextItem& label, unsigned format) {
  label_ = label;
  format_ = format;
  setText(label.text);
  customRect_ = {};
  FitLabel();
  update();
}

void CBasicButton::SetStyle(int style) {
  if (style == style_) return;
  style_ = style;
  capWidth_ = Info(style).cap;
  pieces_ = Info(style).pieces;
  resize(Info(style).size);
  customRect_ = {};
  FitLabel();
  update();
}

// The tall styles wrap a label that needs two lines or is too wide for one.
void CBasicButton::FitLabel() {
  if (style_ < 3) return;
  const QFontMetrics metrics(label_.font);
  const QRect measured = metrics.boundingRect(QRect(0, 0, 191, 1000), Qt::TextWordWrap, label_.text);
  const int lineHeight = metrics.height();
  const int h = measured.height();
  if (h >= 2 * lineHeight) {
    const int b = (64 - h) / 2;
    const int top = style_ == 3 ? b : b - 3;
    customRect_ = QRect(QPoint(4, top), QPoint(195, 69 - b));
    format_ = 17;
  } else if (metrics.horizontalAdvance(label_.text) > 191) {
    const int top = style_ == 3 ? 32 - h : 29 - h;
    customRect_ = QRect(QPoint(4, top), QPoint(195, h + 37));
    format_ = 17;
  }
}

CBasicButton::Look CBasicButton::CurrentLook() const {
  if (isDown() || clicked_) return Look::kPressed;
  // The disabled pictures are never loaded: a disabled button looks normal.
  return isEnabled() && tracking_ ? Look::kHover : Look::kNormal;
}

QRect CBasicButton::LabelRect() const {
  QRect r = customRect_.isNull() ? rect().adjusted(4, 0, -4, 0) : customRect_;
  if (CurrentLook() == Look::kPressed) return r.translated(1, 1);
  return r.adjusted(0, 0, -1, -1);
}

void CBasicButton::enterEvent(QEnterEvent*) {
  tracking_ = true;
  repaint();
}

void CBasicButton::leaveEvent(QEvent*) {
  tracking_ = false;
  repaint();
}

void CBasicButton::mouseReleaseEvent(QMouseEvent* e) {
  // The parent handles the click while the button shows its pressed picture.
  clicked_ = true;
  repaint();
  QAbstractButton::mouseReleaseEvent(e);
  clicked_ = false;
  update();
}

void CBasicButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kThemeBase);
  const int set = static_cast<int>(CurrentLook()) * 3;
  const QImage& left = Png(pieces_[static_cast<std::size_t>(set)]);
  const QImage& middle = Png(pieces_[static_cast<std::size_t>(set + 1)]);
  const QImage& right = Png(pieces_[static_cast<std::size_t>(set + 2)]);
  const int cap = capWidth_;
  if (!left.isNull()) p.drawImage(QRect(0, 0, cap, height()), left);
  if (!middle.isNull()) p.drawImage(QRect(cap, 0, width() - 2 * cap, height()), middle);
  if (!right.isNull()) p.drawImage(QRect(width() - cap, 0, cap, height()), right);
  TextItem label = label_;
  if (!isEnabled()) label.color = disabledColor_;
  DrawTextItem(p, LabelRect(), label, format_);
}

}  // namespace cbx::ui
