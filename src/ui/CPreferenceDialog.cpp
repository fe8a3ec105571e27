#include "ui/CPreferenceDialog.h"

#include <QPainter>
#include <QPainterPath>

#include "ui/controls/CBasicButton.h"

namespace cbx::ui {

CPreferenceDialog::CPreferenceDialog(ScreenContext& context, dock::DockDevice& dock, QWidget* parent)
    : CDialogBase(Text(context.texts, 2200), QSize(417, 325), parent), context_(context), dock_(dock) {
  check_ = new CBasicButton(2, LoadTextItem(context.texts, 2201), 37, this);
  check_->setGeometry(51, 233, 315, 28);
  auto* close = new CBasicButton(1, LoadTextItem(context.texts, 2202), 37, this);
  close->setGeometry(136, 276, 145, 28);
  connect(close, &CBasicButton::clicked, this, &QDialog::accept);
  connect(check_, &CBasicButton::clicked, this, [this] { OnCheck(); });
  Fill();
}

void CPreferenceDialog::Fill() {
  AppState& st = context_.state;
  const dock::DeviceKind kind = dock_.deviceKind();
  const bool flash = kind == dock::DeviceKind::Flash;
  const bool converter = st.converterAttached;
  dockPicture_ = kind == dock::DeviceKind::LensDock || converter;
  flashPicture_ = !dockPicture_ && flash;
  const int mount = st.dockMountCode;
  const bool mlMount = mount == 0x60 || mount == 0x90 || mount == 0xA0;
  int headingId = flash ? 2206 : (kind == dock::DeviceKind::LensDock ? (mlMount ? 2207 : 2203) : 0);
  if (converter) headingId = 2207;
  heading_ = LoadTextItem(context_.texts, headingId);
  headingTop_ = flash && !converter ? 93 : 83;
  informationTop_ = flash && !converter ? 123 : 113;
  information_ = LoadTextItem(context_.texts, 2204);
  const std::string version = context_.controller.DockVersionLine();
  if (!st.dock.dockMountName.empty() || !version.empty()) {
    information_.text = QStringLiteral("%1\n%2 %3").arg(QString::fromStdString(st.dock.dockMountName),
                                                       Text(context_.texts, 2205), QString::fromStdString(version));
  }
  check_->setEnabled(st.downloadEnabled);
  update();
}

void CPreferenceDialog::OnCheck() {
  AppState& st = context_.state;
  if (dock_.deviceKind() == dock::DeviceKind::Flash) context_.controller.StartDockFWUpdateSequence(false);
  if (dock_.deviceKind() == dock::DeviceKind::LensDock || st.converterAttached) {
    context_.controller.StartLensDockFWUpdateSequence(false);
  }
  if (!dock_.RequestStatusExclusive()) {
    // The dock has gone: the dialog closes as if its close button were pressed.
    accept();
    return;
  }
  Fill();
  if (onChecked) onChecked();
}

void CPreferenceDialog::paintEvent(QPaintEvent* e) {
  CDialogBase::paintEvent(e);
  QPainter p(this);
  DrawPng(p, QPoint(0, 0), 497);
  if (dockPicture_) DrawPng(p, QPoint(30, 90), 501);
  if (flashPicture_) DrawPng(p, QPoint(30, 90), 517);
  DrawTextItem(p, QRect(152, headingTop_, 200, 15), heading_, 0);
  DrawTextItem(p, QRect(152, informationTop_, 200, 60), information_, 0);
}

}  // namespace cbx::ui
