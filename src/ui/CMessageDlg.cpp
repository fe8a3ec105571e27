#include "ui/CMessageDlg.h"

#include <QLinearGradient>
#include <QPainter>
#include <initializer_list>

#include "app/MessageKinds.h"
#include "ui/controls/CBasicButton.h"

namespace cbx::ui {

namespace {

constexpr int kWidth = 417, kSmallHeight = 167, kTallHeight = 325;
constexpr int kButtonWidth = 145, kButtonHeight = 28;
constexpr unsigned kEllipsis = 98341;  // centred single line, end ellipsis
constexpr int kButtonOkId = 1, kButtonCancelId = 2, kButton1045Id = 1045, kButton1046Id = 1046;

enum class Buttons { kNone, kOkCentered, kCancelCentered, kOkCancel, kOffer, kPrecautions };

struct Layout {
  QRect message{QPoint(7, 43), QPoint(407, 83)};
  unsigned format = 17;
  bool versionLine = false;
  QRect second;
  Buttons buttons = Buttons::kOkCentered;
};

bool In(int kind, std::initializer_list<int> kinds) {
  for (const int k : kinds)
    if (k == kind) return true;
  return false;
}

QRect Box(int l, int t, int r, int b) { return QRect(QPoint(l, t), QPoint(r - 1, b - 1)); }

Layout LayoutOf(int kind, int height) {
  Layout l;
  if (kind == 0 || kind == 2) return l;
  if (kind == 1) return l.format = kEllipsis, l.buttons = Buttons::kOkCancel, l;
  if (kind == 3) return l.message = Box(7, 53, 407, 93), l.buttons = Buttons::kOkCancel, l;
  if (kind == 4) {
    l.message = QRect((kWidth - 400) / 2, (height - 40) / 2, 400, 40);
    l.format = kEllipsis;
    l.buttons = Buttons::kNone;
    return l;
  }
  if (In(kind, {10, 50, 51, 206, 307})) {
    l.message = Box(7, 48, 407, 63);
    l.format = kEllipsis;
    l.versionLine = true;
    l.second = Box(7, 78, 407, 93);
    return l;
  }
  if (In(kind, {11, 201, 301})) return l.message = Box(7, 35, 407, 75), l.buttons = Buttons::kOffer, l;
  if (In(kind, {12, 204, 304})) {
    l.message = Box(7, 32, 407, 52);
    l.format = kEllipsis;
    l.second = Box(25, 83, 392, 273);
    l.buttons = Buttons::kPrecautions;
    return l;
  }
  if (kind == 13) return l.message = QRect(7, height / 2 - 20, 400, 40), l.buttons = Buttons::kNone, l;
  if (kind == 14) {
    l.message = Box(7, 33, 407, 73);
    l.versionLine = true;
    l.second = Box(7, 73, 407, 93);
    l.buttons = Buttons::kCancelCentered;
    return l;
  }
  if (In(kind, {15, 21, 25, 202})) return l.message = Box(7, 53, 407, 93), l.buttons = Buttons::kOkCancel, l;
  if (In(kind, {16, 24})) return l.format = kEllipsis, l.buttons = Buttons::kOkCancel, l;
  if (kind == 302) return l.message = Box(7, 53, 407, 103), l.buttons = Buttons::kOkCancel, l;
  if (In(kind, {314, 27, 28, 29, 208, 311, 312})) {
    return l.message = Box(7, 53, 407, 108), l.buttons = Buttons::kOkCancel, l;
  }
  if (In(kind, {22, 23, 26, 203, 303})) return l.message = Box(7, 23, 407, 123), l;
  if (In(kind, {20, 313, 17})) return l.message = Box(7, 43, 407, 103), l;
  if (In(kind, {100, 101, 102, 103, 207, 308})) return l.message = Box(7, 53, 407, 93), l.buttons = Buttons::kNone, l;
  if (kind == 309) return l.message = Box(7, 68, 407, 98), l.buttons = Buttons::kNone, l;
  if (kind == 310) return l.message = Box(7, 48, 407, 83), l;
  // 18, 19, 205, 209, 305, 306, 315, 316, 317 and any other acknowledgement.
  l.message = Box(7, 53, 407, 93);
  return l;
}

}  // namespace

CMessageDlg::CMessageDlg(const TextTable& texts, int kind, const QString& text, QWidget* parent,
                         std::function<void()> openDocument)
    : CDialogBase(Text(texts, 10), QSize(kWidth, In(kind, {12, 204, 304}) ? kTallHeight : kSmallHeight), parent),
      kind_(kind), tall_(In(kind, {12, 204, 304})), openDocument_(std::move(openDocument)), texts_(texts) {
  const int height = tall_ ? kTallHeight : kSmallHeight;
  setWindowFlag(Qt::WindowCloseButtonHint, false);

  const MessageKindInfo& info = MessageKind(kind);
  const Layout layout = LayoutOf(kind, height);
  messageRect_ = layout.message;
  messageFormat_ = layout.format;
  if (info.fixedTextId != 0) {
    message_ = LoadTextItem(texts, info.fixedTextId);
  } else {
    message_ = LoadTextItem(texts, 3006);
    message_.text = text;
  }
  if (layout.versionLine) {
    second_ = LoadTextItem(texts, 3007);
    second_.text = Text(texts, 3113).replace(QStringLiteral("%s"), text);
    secondFormat_ = kEllipsis;
    secondRect_ = layout.second;
  } else if (info.secondTextId != 0) {
    second_ = LoadTextItem(texts, info.secondTextId);
    secondFormat_ = 16;
    secondRect_ = layout.second;
  }

  const int centred = (kWidth - kButtonWidth) / 2;
  switch (layout.buttons) {
    case Buttons::kNone: break;
    case Buttons::kOkCentered:
      AddButton(kButtonOkId, info.okLabelId != 0 ? info.okLabelId : 3008, QRect(centred, 126, kButtonWidth, kButtonHeight));
      break;
    case Buttons::kCancelCentered:
      AddButton(kButtonCancelId, 3008, QRect(centred, 126, kButtonWidth, kButtonHeight));
      break;
    case Buttons::kOkCancel:
      AddButton(kButtonOkId, info.okLabelId, QRect(52, 126, kButtonWidth, kButtonHeight));
      AddButton(kButtonCancelId, info.cancelLabelId, QRect(221, 126, kButtonWidth, kButtonHeight));
      break;
    case Buttons::kOffer:
      AddButton(kButton1045Id, 3009, QRect(52, 90, 315, kButtonHeight));
      AddButton(kButtonOkId, 3004, QRect(52, 128, kButtonWidth, kButtonHeight));
      AddButton(kButtonCancelId, 3012, QRect(221, 128, kButtonWidth, kButtonHeight));
      break;
    case Buttons::kPrecautions:
      AddButton(kButton1045Id, 3010, QRect(36, 276, 165, kButtonHeight));
      AddButton(kButton1046Id, 3011, QRect(218, 276, 165, kButtonHeight));
      break;
  }
}

void CMessageDlg::AddButton(int id, int labelId, const QRect& place) {
  const int style = place.width() == 315 ? 2 : place.width() == 165 ? 0 : 1;
  auto* button = new CBasicButton(style, LoadTextItem(texts_, labelId), 37, this);
  button->setGeometry(place);
  buttons_.emplace_back(id, button);
  connect(button, &CBasicButton::clicked, this, [this, id] {
    // The document button of an update offer opens the release note and stays open.
    if (id == kButton1045Id && In(kind_, {11, 201, 301})) {
      if (openDocument_) openDocument_();
      return;
    }
    done(ResultOf(id));
  });
}

int CMessageDlg::ResultOf(int button) const {
  const MessageKindInfo& info = MessageKind(kind_);
  switch (button) {
    case kButtonOkId: return info.okResult;
    case kButtonCancelId: return info.cancelResult;
    case kButton1045Id: return info.result1045;
    case kButton1046Id: return info.result1046;
    default: return kResultOfClose;
  }
}

CBasicButton* CMessageDlg::Button(int button) const {
  for (const auto& [id, b] : buttons_)
    if (id == button) return b;
  return nullptr;
}

void CMessageDlg::EndFromOutside(bool withOk) { done(ResultOf(withOk ? kButtonOkId : kButtonCancelId)); }

void CMessageDlg::reject() { done(kResultOfClose); }

void CMessageDlg::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kThemeBase);
  DrawPng(p, QPoint(0, 0), tall_ ? 497 : 498);
  DrawTextItem(p, messageRect_, message_, messageFormat_);
  if (!secondRect_.isNull()) DrawTextItem(p, secondRect_, second_, secondFormat_);
}

}  // namespace cbx::ui
