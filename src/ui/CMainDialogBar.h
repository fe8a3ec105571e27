// The top bar: the product web-page button, the device title and the dock lamp.
#pragma once

#include <QWidget>

#include "ui/Theme.h"

namespace cbx::ui {

class CBasicButton;

class CMainDialogBar : public QWidget {
  Q_OBJECT
 public:
  CMainDialogBar(const TextTable& texts, QWidget* parent);
  void SetTitle(const QString& title, bool highlighted);
  void SetDockConnected(bool connected);
  bool DockConnected() const { return connected_; }
  QString Title() const { return title_.text; }
  CBasicButton* WebButton() const { return web_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  CBasicButton* web_;
  TextItem title_;
  bool connected_ = false;
};

// The decorative bar at the bottom.
class CMainDialogBarBottom : public QWidget {
  Q_OBJECT
 public:
  explicit CMainDialogBarBottom(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent*) override;
};

}  // namespace cbx::ui
