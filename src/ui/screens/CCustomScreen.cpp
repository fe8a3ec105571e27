#include "ui/screens/CCustomScreen.h"

#include "app/Log.h"
#include "ui/controls/CBasicButton.h"
#include "ui/controls/CStaticBase.h"

namespace cbx::ui {

CCustomScreen::CCustomScreen(ScreenContext& context, int screenId, QWidget* parent)
    : CControlAreaBaseDialog(context, parent), id_(screenId) {}

bool CCustomScreen::LensLoaded() const {
  return !context_.state.currentDevice.IsSameDevice(update::CLensUpdateInfoData{});
}

QString CCustomScreen::TextOf(int id) const { return Text(context_.texts, id); }

bool CCustomScreen::MayLeave() {
  if (!LensLoaded() || !HasUnsavedChanges()) return true;
  const int answer = context_.ui.AskMessage(kKindDiscardQuestion);
  if (answer == kResultNo) return false;
  if (answer == kResultYes) {
    // Dropping the edits needs the lens: a device that no longer answers, or answers that
    // nothing is mounted, keeps the screen as it is.
    int status = 0;
    return context_.dock.RequestStatusExclusive(&status) && status != 0x00;
  }
  return true;
}

bool CCustomScreen::WriteFlow(const std::function<bool(bool& failed)>& write) {
  if (context_.ui.AskMessage(kKindWriteQuestion) != kResultWrite || !LensLoaded()) return false;
  bool failed = false;
  if (write(failed)) {
    context_.ui.AskMessage(kKindNotice, TextOf(3124).toStdString());
    return LensLoaded();
  }
  if (failed) context_.ui.AskMessage(kKindNotice, TextOf(3125).toStdString());
  return false;
}

bool CCustomScreen::WriteCs() {
  return WriteFlow([this](bool& failed) { return context_.settings.CSDataWrite(failed); });
}

bool CCustomScreen::WriteAf() {
  return WriteFlow([this](bool& failed) { return context_.settings.AFDataWrite(failed); });
}

bool CCustomScreen::ResetFlow() {
  return context_.ui.AskMessage(kKindResetQuestion) == kResultYes && LensLoaded();
}

void CCustomScreen::BackFlow(int parentScreen) {
  if (!MayLeave()) return;
  DropEdits();
  Show(parentScreen);
}

bool CCustomScreen::ReloadAfTable(int functionNumber) {
  lens::AfTable table{};
  bool ok = false;
  try {
    ok = Model().ReadAfTable(table);
  } catch (const lens::LensModelArgumentError&) {
    ok = false;  // the product information names no place for this lens's table
  }
  if (ok) {
    Model().afEditBuffer = table;
  } else if (functionNumber != 0) {
    ReportError(functionNumber, lens::kErrAfData);
  }
  return ok;
}

void CCustomScreen::ReloadMlRecord() {
  lens::LensSettingsModel& m = Model();
  m.ReadWriteCounter(m.writeCounter);
  m.ReadMfSensitivityByte(m.mfSensitivityByte);
  m.ReadModeGroups(m.mode1Group, m.mode2Group);
  m.SaveCsSnapshot();
}

CStaticBase* CCustomScreen::AddText(const QRect& place, int id, unsigned format) {
  auto* s = new CStaticBase(place, this);
  s->SetTextFromId(context_.texts, id, format);
  return s;
}

CStaticBase* CCustomScreen::AddTitle(int id) {
  return AddText(QRect(40, 28, 572, 30), id, kFormatSingleLine | kFormatVCenter);
}

CStaticBase* CCustomScreen::AddMessage(int id) {
  return AddText(QRect(40, 62, 572, 24), id, kFormatSingleLine | kFormatVCenter);
}

CBasicButton* CCustomScreen::AddButton(int style, int textId, const QRect& place,
                                       const std::function<void()>& action, unsigned format) {
  auto* b = new CBasicButton(style, LoadTextItem(context_.texts, textId), format, this);
  b->move(place.topLeft());
  if (place.width() > 0) b->resize(place.size());
  connect(b, &CBasicButton::clicked, this, [action] {
    // Product information that names no place for a record leaves the button without effect
    // rather than taking the window down.
    try {
      action();
    } catch (const lens::LensModelArgumentError&) {
    }
  });
  return b;
}

CBasicButton* CCustomScreen::AddLensButton(int style, int textId, const QRect& place,
                                           const std::function<void()>& action, unsigned format) {
  return AddButton(style, textId, place, [this, action] {
    if (LensLoaded()) action();
  }, format);
}

void SelectChoice(std::initializer_list<CBasicButton*> buttons, CBasicButton* selected) {
  for (CBasicButton* b : buttons) b->SetStyle(b == selected ? 4 : 5);
}

}  // namespace cbx::ui
