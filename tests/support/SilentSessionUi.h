// A SessionUi that shows nothing: it records the message kinds asked, answers them with
// Reply() (closed unless a test says otherwise), runs update checks at once and ignores
// every screen call. Test doubles derive from it and override only what they watch.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "update/SessionUi.h"

namespace cbx::test {

class SilentSessionUi : public SessionUi {
 public:
  int AskMessage(int kind, const std::string& text) override {
    {
      std::lock_guard lock(askedMutex_);
      asked_.push_back(kind);
    }
    return Reply(kind, text);
  }
  void HideUpdateCheckWindow() override {}
  std::optional<std::string> ChooseHistoryFile(bool) override { return std::nullopt; }
  void HistoryImported() override {}
  void EndMessage(bool) override {}
  void EndWaitMessage() override {}
  int RunUpdateCheck(int, const std::function<int()>& check) override { return check(); }
  int RunTransfer(int, const std::function<int()>& transfer) override { return transfer(); }
  void ShowScreen(int) override {}
  void HomeMessage(std::uint32_t, bool, bool) override {}
  void RefreshHistoryList() override {}
  void MarkConnectedDevice(int, bool) override {}
  void ClosePreferenceDialog() override {}
  void SetDeviceTitle(const std::string&, bool) override {}
  void SetConnectionLamp(bool) override {}
  void OpenProgramWebPage() override {}

  std::vector<int> Asked() const {
    std::lock_guard lock(askedMutex_);
    return asked_;
  }

 protected:
  virtual int Reply(int /*kind*/, const std::string& /*text*/) { return kResultClosed; }

 private:
  mutable std::mutex askedMutex_;
  std::vector<int> asked_;
};

}  // namespace cbx::test
