#include "ui/screens/CDeviceHomeBase.h"

#include <QPainter>
#include <QPainterPath>

#include "ui/controls/CBasicButton.h"
#include "ui/controls/CStaticBase.h"
#include "update/LensUpdateInfo.h"

namespace cbx::ui {

namespace {
const QRect kTitle(233, 40, 350, 20);
const QRect kInformation(231, 78, 350, 72);
const QRect kHeading(233, 155, 350, 20);
const QRect kUpdateText(231, 267, 350, 20);
const QRect kCustomText(231, 384, 350, 40);
const QRect kFrame(24, 43, 586, 367);
constexpr int kButtonWidth = 199, kButtonHeight = 64;
}  // namespace

CDeviceHomeBase::CDeviceHomeBase(ScreenContext& context, int secondButtonLabel, QWidget* parent)
    : CControlAreaBaseDialog(context, parent), secondLabel_(secondButtonLabel) {}

void CDeviceHomeBase::LayOut() {
  const TextTable& t = context_.texts;
  const auto text = [&](const QRect& place, int id, unsigned format) {
    auto* s = new CStaticBase(place, this);
    s->SetTextFromId(t, id, format);
    return s;
  };
  title_ = text(kTitle, 1100, 0);
  information_ = text(kInformation, 1101, 0);
  heading_ = text(kHeading, 1102, 0);
  updateText_ = text(kUpdateText, 1103, 0);
  customText_ = text(kCustomText, 1104, 16);
  customText_->hide();
  update_ = new CBasicButton(3, LoadTextItem(t, 1105), 37, this);
  update_->setGeometry(230, 195, kButtonWidth, kButtonHeight);
  second_ = new CBasicButton(3, LoadTextItem(t, secondLabel_), 37, this);
  second_->setGeometry(230, 312, kButtonWidth, kButtonHeight);
  connect(update_, &CBasicButton::clicked, this, [this] { OnUpdateButton(); });
  connect(second_, &CBasicButton::clicked, this, [this] { OnSecondButton(); });
  update_->setEnabled(false);
  second_->setEnabled(false);
}

QString CDeviceHomeBase::InformationText() const { return information_->Text(); }

bool CDeviceHomeBase::SameDevice() const {
  return context_.state.shownDevice.IsSameDevice(context_.state.currentDevice);
}

bool CDeviceHomeBase::UpdateOffered() const {
  const auto& shown = context_.state.shownDevice;
  return SameDevice() && shown.noUpdateInfo == 0 && !shown.fwLocalPath.empty() && context_.state.downloadEnabled;
}

void CDeviceHomeBase::OnHomeMessage(bool, bool) {
  ApplyEnableRules();
  Refresh();
}

void CDeviceHomeBase::Refresh() {
  update::CLensUpdateInfoData shown = context_.state.shownDevice;
  QImage image;
  if (!shown.lensImagePath.empty() && image.load(QString::fromStdString(shown.lensImagePath))) {
    picture_ = image;
    picturePath_ = shown.lensImagePath;
  }
  if (!shown.MountName.empty()) {
    const std::string version = VersionText(update::GetDisplayVersion(shown), shown.mountCode);
    information_->SetText(QStringLiteral("%1\nS/N %2\n%3 %4")
                              .arg(QString::fromStdString(shown.MountName), QString::fromStdString(shown.serialNumber),
                                   Text(context_.texts, 1107), QString::fromStdString(version)),
                          true);
  }
  ApplyEnableRules();
  update();
}

void CDeviceHomeBase::OnUpdateButton() {
  const auto refresh = context_.controller.OnHomeUpdateButton(ScreenId());
  if (refresh.refresh) OnHomeMessage(true, refresh.customAllowed);
}

void CDeviceHomeBase::PaintContent(QPainter& p) {
  DrawPng(p, kFrame.topLeft(), 470);
  const QRect pictureRect = picture_.isNull() ? QRect(24, 43, 182, 355) : QRect(QPoint(24, 43), picture_.size());
  if (!picture_.isNull()) p.drawImage(pictureRect.topLeft(), picture_);
}

}  // namespace cbx::ui
