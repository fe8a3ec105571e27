// What the lens's AF function button does: AF-ON or AFL; written from this screen.
#pragma once

#include "ui/screens/CCustomScreen.h"

namespace cbx::ui {

class CCstmAFFunctionSetDialog : public CCustomScreen {
  Q_OBJECT
 public:
  CCstmAFFunctionSetDialog(ScreenContext& context, QWidget* parent);
  void LayOut() override;
  void Refresh() override;
  bool HasUnsavedChanges() const override;
  void DropEdits() override;
  CBasicButton* Button(int control) const;
  bool AfOnSelected() const { return afOn_; }

 private:
  void Choose(bool afOn);

  CBasicButton* afOnButton_ = nullptr;
  CBasicButton* aflButton_ = nullptr;
  CBasicButton* write_ = nullptr;
  CBasicButton* reset_ = nullptr;
  bool afOn_ = false;
};

}  // namespace cbx::ui
