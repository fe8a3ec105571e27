// The customisation menu of a standard lens: AF fine adjustment, custom modes, manual
// override, the AF function button, the reset of every setting and, for service, the EMC test.
#pragma once

#include "ui/screens/CCustomScreen.h"

namespace cbx::ui {

class CCstmMainDialog : public CCustomScreen {
  Q_OBJECT
 public:
  CCstmMainDialog(ScreenContext& context, QWidget* parent);
  void LayOut() override;
  void Refresh() override;

  CBasicButton* Button(int control) const;

 private:
  // Button 1010: every table and both modes back to their defaults, written at once.
  void ResetAll();

  CBasicButton* afFine_ = nullptr;
  CBasicButton* customModes_ = nullptr;
  CBasicButton* manual_ = nullptr;
  CBasicButton* afFunction_ = nullptr;
  CBasicButton* reset_ = nullptr;
  CBasicButton* emc_ = nullptr;
  CBasicButton* back_ = nullptr;
};

}  // namespace cbx::ui
