// The layout the three device home screens share: picture, information, the firmware-update
// button and a second button, with the refresh and enable rules of each kind in its class.
#pragma once

#include <QImage>

#include "ui/screens/CControlAreaBaseDialog.h"

namespace cbx::ui {

class CBasicButton;
class CStaticBase;

class CDeviceHomeBase : public CControlAreaBaseDialog {
  Q_OBJECT
 public:
  CDeviceHomeBase(ScreenContext& context, int secondButtonLabel, QWidget* parent);
  void LayOut() override;
  void Refresh() override;
  // The refresh messages (UM_LENS_HOME and its kin).
  virtual void OnHomeMessage(bool updateAllowed, bool customAllowed);

  QString InformationText() const;
  bool HasPicture() const { return !picture_.isNull(); }
  CBasicButton* UpdateButton() const { return update_; }
  CBasicButton* SecondButton() const { return second_; }

 protected:
  // The version as this screen writes it.
  virtual std::string VersionText(const std::string& display, int /*mountCode*/) const { return display; }
  virtual void ApplyEnableRules() = 0;
  virtual void OnSecondButton() {}
  void PaintContent(QPainter& p) override;
  bool SameDevice() const;
  // The common part of the update button's rule.
  bool UpdateOffered() const;

  CBasicButton* update_ = nullptr;
  CBasicButton* second_ = nullptr;
  CStaticBase* title_ = nullptr;
  CStaticBase* information_ = nullptr;
  CStaticBase* heading_ = nullptr;
  CStaticBase* updateText_ = nullptr;
  CStaticBase* customText_ = nullptr;

 private:
  void OnUpdateButton();
  int secondLabel_;
  QImage picture_;
  std::string picturePath_;
};

}  // namespace cbx::ui
