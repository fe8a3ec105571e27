// The choice between custom modes C1 and C2, each labelled by whether the lens still holds
// the product defaults for it.
#pragma once

#include "ui/screens/CCustomScreen.h"

namespace cbx::ui {

class CStaticBase;

class CCstmSelModeDialog : public CCustomScreen {
  Q_OBJECT
 public:
  CCstmSelModeDialog(ScreenContext& context, QWidget* parent);
  void LayOut() override;
  void Refresh() override;
  CBasicButton* ModeButton(int mode) const { return mode == 1 ? mode1_ : mode2_; }
  QString ModeLabel(int mode) const;

 private:
  void Choose(int mode);

  CBasicButton* mode1_ = nullptr;
  CBasicButton* mode2_ = nullptr;
  CStaticBase* label1_ = nullptr;
  CStaticBase* label2_ = nullptr;
};

}  // namespace cbx::ui
