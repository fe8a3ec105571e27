// Manual override: whether the focus ring can take over from autofocus, and how readily
// (level 1..15); written from this screen.
#pragma once

#include "ui/screens/CCustomScreen.h"

namespace cbx::ui {

class CMFTrackBar;
class CSpinBase;

class CCstmManualDialog : public CCustomScreen {
  Q_OBJECT
 public:
  CCstmManualDialog(ScreenContext& context, QWidget* parent);
  void LayOut() override;
  void Refresh() override;
  bool HasUnsavedChanges() const override;
  void DropEdits() override;

  CBasicButton* Button(int control) const;
  CSpinBase* Spin() const { return spin_; }
  CMFTrackBar* Slider() const { return slider_; }
  bool UseSelected() const { return on_; }

 private:
  void SetOn(bool on);
  void SetLevel(int level);
  void UpdateWrite();

  CBasicButton* use_ = nullptr;
  CBasicButton* notUse_ = nullptr;
  CBasicButton* write_ = nullptr;
  CBasicButton* reset_ = nullptr;
  CSpinBase* spin_ = nullptr;
  CMFTrackBar* slider_ = nullptr;
  bool on_ = false;
};

}  // namespace cbx::ui
