// What every customisation screen shares: the title and message lines, the lens check that
// guards each button, and the write, reset and back flows with the unsaved-change question.
#pragma once

#include <functional>

#include "lens/CustomisationRules.h"
#include "lens/SettingsErrors.h"
#include "ui/screens/CControlAreaBaseDialog.h"

namespace cbx::ui {

class CBasicButton;
class CStaticBase;

class CCustomScreen : public CControlAreaBaseDialog {
  Q_OBJECT
 public:
  CCustomScreen(ScreenContext& context, int screenId, QWidget* parent);
  int ScreenId() const override { return id_; }

  // The screen's change test: edits that leaving would drop.
  virtual bool HasUnsavedChanges() const { return false; }
  // Reloads the values this screen edits from the lens images, dropping the edits.
  virtual void DropEdits() {}
  // The unsaved-change question: true when the screen may be left. Answer 13 leaves only
  // while the device still answers with a lens on it.
  bool MayLeave();

  // Message kinds and results of the flows.
  static constexpr int kKindWriteQuestion = 12, kKindResetQuestion = 24, kKindDiscardQuestion = 25,
                       kKindNotice = 2;
  static constexpr int kResultWrite = 22, kResultGoBack = 23;

 protected:
  // Function numbers of the reports the screens write while they show what the lens holds.
  static constexpr int kFnUpdateControls = 65;
  static constexpr int kFnSetMessageText = 66;

  // Whether a lens record is loaded; every button action does nothing without one.
  bool LensLoaded() const;
  const update::CLensUpdateInfoData& Lens() const { return context_.state.currentDevice; }
  lens::LensSettingsModel& Model() const { return context_.model; }
  bool IsMl() const { return context_.model.IsMlMount(); }
  lens::CustomisationRights Rights() const { return lens::RightsOf(Lens()); }
  QString TextOf(int id) const;

  // Asks before writing; runs `write` (a controller write) and tells the outcome. True when
  // the write succeeded.
  bool WriteFlow(const std::function<bool(bool& failed)>& write);
  bool WriteCs();
  bool WriteAf();
  // The screen-local reset question: true when the user confirmed with the lens still there.
  bool ResetFlow();
  // Back: the unsaved-change question, then the edits dropped and the parent shown.
  void BackFlow(int parentScreen);
  void Show(int screen) { context_.showScreen(screen); }
  // afEditBuffer from the lens's table; a failure is reported under the function number
  // (0: not reported) and leaves the buffer as it was.
  bool ReloadAfTable(int functionNumber);
  // After an ml-mount lens's CS write: the counter, MF sensitivity and both modes follow what
  // the lens now holds, and a new snapshot is taken.
  void ReloadMlRecord();

  // Building blocks of the layout.
  CStaticBase* AddText(const QRect& place, int id, unsigned format);
  // The title line at the top of every screen, and the message line below it.
  CStaticBase* AddTitle(int id);
  CStaticBase* AddMessage(int id);
  CBasicButton* AddButton(int style, int textId, const QRect& place, const std::function<void()>& action,
                          unsigned format = 37);
  // Buttons that run only with a lens loaded.
  CBasicButton* AddLensButton(int style, int textId, const QRect& place, const std::function<void()>& action,
                              unsigned format = 37);

 private:
  int id_;
};

// One of three choices drawn as option buttons (selected: style 4, unselected: style 5).
void SelectChoice(std::initializer_list<CBasicButton*> buttons, CBasicButton* selected);

}  // namespace cbx::ui
