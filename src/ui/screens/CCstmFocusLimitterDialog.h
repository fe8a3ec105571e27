// Screen 6: the focus limiter of the custom mode being edited, set with two handles on the
// lens's distance scale. The edit stays in the mode group and is written from screen 4.
#pragma once

#include <span>
#include <vector>

#include "ui/controls/CFlmtSliderNeo.h"
#include "ui/screens/CCustomScreen.h"

namespace cbx::ui {

class CCstmFocusLimitterDialog : public CCustomScreen {
  Q_OBJECT
 public:
  CCstmFocusLimitterDialog(ScreenContext& context, QWidget* parent);
  void LayOut() override;
  void Refresh() override;
  bool HasUnsavedChanges() const override;
  void DropEdits() override;

  // Where index i of the encoder positions lies on the 496-pixel scale; its tick is drawn
  // at 496 - LimiterPixel(i), so index 0 is at the right end.
  static int LimiterPixel(std::span<const double> positions, int index);
  // The ticks of indices 0..n.
  static std::vector<CFlmtSliderInfo> LimiterTicks(std::span<const double> positions);

  CFlmtSliderNeo* Slider() const { return slider_; }
  CBasicButton* Button(int control) const;
  QString MessageText() const;

 private:
  // UM_TRACK_CHANGED from the slider.
  void OnSliderChanged(const FlmtTrackChange& change);
  // Button 1027: the whole range (ml mount: the product default), no question asked.
  void Reset();

  CStaticBase* message_ = nullptr;
  CFlmtSliderNeo* slider_ = nullptr;
  CBasicButton* reset_ = nullptr;
  CBasicButton* back_ = nullptr;
};

}  // namespace cbx::ui
