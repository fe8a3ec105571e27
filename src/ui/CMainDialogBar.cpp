#include "ui/CMainDialogBar.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include "ui/controls/CBasicButton.h"

namespace cbx::ui {

CMainDialogBar::CMainDialogBar(const TextTable& texts, QWidget* parent) : CDialogBarBase(parent), texts_(texts) {
  setFixedSize(912, 60);
}

bool CMainDialogBar::InitBar() {
  web_ = new CBasicButton(0, LoadTextItem(texts_, 201), 37, this);
  web_->move(45, 10);
  // No dock yet: the title says so.
  if (!connected_) {
    title_ = LoadTextItem(texts_, 200);
    title_.color = kTitleText;
  }
  return true;
}

void CMainDialogBar::SetTitle(const QString& title, bool highlighted) {
  title_.text = title;
  title_.color = highlighted ? kTitleHighlight : kTitleText;
  update();
}

void CMainDialogBar::SetDockConnected(bool connected) {
  connected_ = connected;
  update();
}

void CMainDialogBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), FromBgr(0x030303));
  DrawPng(p, QPoint(0, 0), 427);
  DrawTextItem(p, QRect(294, 10, 500, 30), title_, 37);
  // The lamp: lit green while a dock is connected, dark otherwise.
  DrawPng(p, QPoint(width() - 31, 15), connected_ ? 358 : 357);
}

CMainDialogBarBottom::CMainDialogBarBottom(QWidget* parent) : CDialogBarBase(parent) { setFixedSize(912, 45); }

void CMainDialogBarBottom::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kThemeBase);
  DrawPng(p, QPoint(0, 0), 429);
}

}  // namespace cbx::ui
