// The device session's questions and messages in a terminal: texts from String.txt, answers
// from the command line (--yes), a prompt on a terminal, or "no" when nobody can answer.
// With an event stream it also prints what a window would show (screens, checks,
// transfers, the lamp), one line each, as text or as JSON.
#pragma once

#include <functional>
#include <iosfwd>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "app/TextResources.h"
#include "update/SessionUi.h"

namespace cbx::cli {

// Which device a question may be answered "yes" for.
enum class AnswerTarget { kAny, kDock, kAttached };

class TerminalUi : public SessionUi {
 public:
  TerminalUi(const TextTable& texts, bool assumeYes);
  // The texts of a run that starts after the front end exists.
  explicit TerminalUi(bool assumeYes) : TerminalUi(EmptyTextTable(), assumeYes) {}
  void SetTexts(const TextTable& texts) { texts_ = &texts; }
  // Only events with these names are printed; none given: every event.
  void SetEventFilter(std::vector<std::string> names) { filter_ = std::move(names); }

  // Every question is answered "no" (nothing is installed).
  void SetAnswerNo(bool answerNo) { answerNo_ = answerNo; }
  // Questions about the other device are answered "no"; `aboutDock` tells, when a question
  // comes, whether it is about the USB device itself.
  void SetTarget(AnswerTarget target, std::function<bool()> aboutDock);
  // Prints every event to `out`: one JSON object per line, or one line of text.
  void SetEventStream(std::ostream* out, bool json);
  // Draws a bar on standard error when it is a terminal, percentage lines otherwise.
  void SetShowProgress(bool show) { showProgress_ = show; }
  // One event line (also used by the commands for what they see themselves).
  void Emit(nlohmann::ordered_json event);

  int AskMessage(int kind, const std::string& text = {}) override;
  void HideUpdateCheckWindow() override {}
  std::optional<std::string> ChooseHistoryFile(bool forExport) override;
  void HistoryImported() override {}
  void EndMessage(bool) override {}
  void EndWaitMessage() override {}
  int RunUpdateCheck(int waitKind, const std::function<int()>& check) override;
  int RunTransfer(int transferType, const std::function<int()>& transfer) override;
  void TransferProgressed(int transferType, int min, int max, int position) override;
  // The EMC test on the calling thread, one event line per status text.
  int RunEmcTest(EmcControl& control, const std::function<int()>& loop) override;
  void ShowScreen(int screen) override;
  void HomeMessage(std::uint32_t message, bool updateAllowed, bool customAllowed) override;
  void RefreshHistoryList() override {}
  void MarkConnectedDevice(int index, bool added) override;
  void ClosePreferenceDialog() override {}
  void SetDeviceTitle(const std::string& title, bool highlighted) override;
  void SetConnectionLamp(bool on) override;
  void OpenProgramWebPage() override;

  void SetHistoryFile(std::string path) { historyFile_ = std::move(path); }
  std::vector<int> ShownKinds() const;

  // What the update checks returned, in order, and for which device.
  struct CheckRecord {
    int waitKind = 0;
    int result = 0;
    bool aboutDock = false;
    int order = 0;  // place among checks and transfers
  };
  std::vector<CheckRecord> Checks() const;
  struct TransferRecord {
    int transferType = 0;
    int result = 0;
    int order = 0;
  };
  std::vector<TransferRecord> Transfers() const;

 private:
  std::string MessageText(int kind, const std::string& callerText) const;
  std::string Label(int id, const char* fallback) const;
  int Answer(int kind, const std::string& text);
  bool AboutDock() const { return aboutDock_ && aboutDock_(); }

  const TextTable* texts_;
  std::vector<std::string> filter_;
  bool assumeYes_;
  bool answerNo_ = false;
  AnswerTarget target_ = AnswerTarget::kAny;
  std::function<bool()> aboutDock_;
  std::ostream* events_ = nullptr;
  bool json_ = false;
  bool showProgress_ = false;
  int lastPercent_ = -1;
  std::optional<std::string> historyFile_;
  mutable std::mutex mutex_;
  std::vector<int> shown_;
  std::vector<CheckRecord> checks_;
  std::vector<TransferRecord> transfers_;
  int order_ = 0;
};

}  // namespace cbx::cli
