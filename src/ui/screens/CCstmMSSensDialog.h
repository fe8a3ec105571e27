// The customisation menu of an ml-mount lens: MF sensitivity, custom modes, and a reset that
// writes the defaults at once.
#pragma once

#include "ui/screens/CCustomScreen.h"

namespace cbx::ui {

class CCstmMSSensDialog : public CCustomScreen {
  Q_OBJECT
 public:
  CCstmMSSensDialog(ScreenContext& context, QWidget* parent);
  void LayOut() override;
  void Refresh() override;
  CBasicButton* Button(int control) const;

 private:
  void Reset();

  CBasicButton* mfSensitivity_ = nullptr;
  CBasicButton* customModes_ = nullptr;
  CBasicButton* reset_ = nullptr;
  CBasicButton* back_ = nullptr;
};

}  // namespace cbx::ui
