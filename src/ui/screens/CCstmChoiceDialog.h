// Screens that pick one of three values with option buttons, each with its description,
// and the two of them that edit a byte of the custom mode being edited (AF speed, OS).
#pragma once

#include <array>

#include "ui/screens/CCustomScreen.h"

namespace cbx::ui {

class CStaticBase;

// The lens's own words for the three choices of the AF-speed or OS screen, by button (empty
// where its message file has none).
struct LensChoiceTexts {
  std::array<std::string, 3> labels, descriptions;
};
LensChoiceTexts LensChoiceTextsOf(const update::CLensUpdateInfoData& lens, bool osMode);

// The name of an AF-speed or OS value: the text its choice button shows.
QString ChoiceName(const ScreenContext& context, bool osMode, int value);

class CCstmChoiceDialog : public CCustomScreen {
  Q_OBJECT
 public:
  // Texts: title, message, the three descriptions and button labels, Back.
  struct Texts {
    int title, message;
    std::array<int, 3> descriptions, labels;
    int back;
  };
  CCstmChoiceDialog(ScreenContext& context, int screenId, const Texts& texts, QWidget* parent);
  void LayOut() override;
  CBasicButton* Choice(int index) const { return choices_[static_cast<std::size_t>(index)]; }
  int SelectedChoice() const { return selected_; }
  QString Message() const;

 protected:
  virtual void OnChoice(int index) = 0;
  virtual void OnBack() = 0;
  void Select(int index);
  // Where the extra buttons of a screen go (Write, Reset), left of Back.
  static QRect ExtraButtonPlace(int slot) { return QRect(157 + 165 * slot, 404, 0, 0); }

  Texts texts_;
  std::array<CBasicButton*, 3> choices_{};
  std::array<CStaticBase*, 3> descriptions_{};
  CStaticBase* message_ = nullptr;
  int selected_ = -1;
};

// AF speed (byte 0) or OS mode (byte 3) of the selected custom mode. The edit stays in the
// edited group; the overview writes or drops it.
class CCstmModeChoiceDialog : public CCstmChoiceDialog {
  Q_OBJECT
 public:
  CCstmModeChoiceDialog(ScreenContext& context, int screenId, bool osMode, QWidget* parent);
  void Refresh() override;
  // Leaving this screen keeps the edit for the overview; leaving the mode another way asks.
  bool HasUnsavedChanges() const override { return Model().IsChangeCSData(Model().selectedMode); }
  void DropEdits() override;
  // The value each button stands for.
  static constexpr int kValues[3] = {1, 0, 2};

 protected:
  void OnChoice(int index) override;
  void OnBack() override { Show(lens::kScreenModeDetails); }

 private:
  int GroupByteIndex() const { return osMode_ ? 3 : 0; }
  bool osMode_;
};

class CCstmAFSpeedDialog : public CCstmModeChoiceDialog {
  Q_OBJECT
 public:
  CCstmAFSpeedDialog(ScreenContext& context, QWidget* parent)
      : CCstmModeChoiceDialog(context, lens::kScreenAfSpeed, false, parent) {}
};

class CCstmOSDialog : public CCstmModeChoiceDialog {
  Q_OBJECT
 public:
  CCstmOSDialog(ScreenContext& context, QWidget* parent) : CCstmModeChoiceDialog(context, lens::kScreenOs, true, parent) {}
};

// MF sensitivity of an ml-mount lens, written from this screen.
class CCstmSelMFSensDialog : public CCstmChoiceDialog {
  Q_OBJECT
 public:
  CCstmSelMFSensDialog(ScreenContext& context, QWidget* parent);
  void LayOut() override;
  void Refresh() override;
  bool HasUnsavedChanges() const override;
  void DropEdits() override;
  CBasicButton* WriteButton() const { return write_; }

 protected:
  void OnChoice(int index) override;
  void OnBack() override { BackFlow(lens::kScreenMfSensitivityMenu); }

 private:
  void ShowStored(std::uint8_t stored);
  CBasicButton* write_ = nullptr;
  CBasicButton* reset_ = nullptr;
};

}  // namespace cbx::ui
