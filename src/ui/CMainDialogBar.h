// The top bar: the product web-page button, the device title and the dock lamp.
#pragma once

#include "ui/CDialogBarBase.h"

#include "ui/Theme.h"

namespace cbx::ui {

class CBasicButton;

class CMainDialogBar : public CDialogBarBase {
  Q_OBJECT
 public:
  CMainDialogBar(const TextTable& texts, QWidget* parent);
  bool InitBar() override;
  void SetTitle(const QString& title, bool highlighted);
  void SetDockConnected(bool connected);
  bool DockConnected() const { return connected_; }
  QString Title() const { return title_.text; }
  CBasicButton* WebButton() const { return web_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  const TextTable& texts_;
  CBasicButton* web_ = nullptr;
  TextItem title_;
  bool connected_ = false;
};

// The decorative bar at the bottom.
class CMainDialogBarBottom : public CDialogBarBase {
  Q_OBJECT
 public:
  explicit CMainDialogBarBottom(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent*) override;
};

}  // namespace cbx::ui
