// The device session's questions and messages in a terminal: texts from String.txt on
// standard error, answers from the command line (--yes) or a prompt when one can be shown.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/TextResources.h"
#include "update/SessionUi.h"

namespace cbx::cli {

class TerminalUi : public SessionUi {
 public:
  TerminalUi(const TextTable& texts, bool assumeYes);

  int AskMessage(int kind, const std::string& text = {}) override;
  void HideUpdateCheckWindow() override {}
  std::optional<std::string> ChooseHistoryFile(bool forExport) override;
  void HistoryImported() override {}
  void EndMessage(bool) override {}
  void EndWaitMessage() override {}
  int RunUpdateCheck(int, const std::function<int()>& check) override { return check(); }
  void ShowScreen(int) override {}
  void HomeMessage(std::uint32_t, bool, bool) override {}
  void RefreshHistoryList() override {}
  void SetDeviceTitle(const std::string&, bool) override {}
  void SetConnectionLamp(bool) override {}
  void OpenProgramWebPage() override {}

  void SetHistoryFile(std::string path) { historyFile_ = std::move(path); }
  std::vector<int> ShownKinds() const;

 private:
  std::string MessageText(int kind, const std::string& callerText) const;

  const TextTable& texts_;
  bool assumeYes_;
  std::optional<std::string> historyFile_;
  mutable std::mutex mutex_;
  std::vector<int> shown_;
};

}  // namespace cbx::cli
