// What the device session asks of its front end (the window, the terminal, a test).
// Calls block like a modal dialog and may come from worker threads, so every
// implementation must be safe to call from any thread.
#pragma once

#include <optional>
#include <string>

namespace cbx {

// Result codes of messages.
inline constexpr int kResultAcknowledged = 11;
inline constexpr int kResultClosed = 12;
inline constexpr int kResultYes = 13;
inline constexpr int kResultNo = 14;

class SessionUi {
 public:
  virtual ~SessionUi() = default;

  // Shows a message of the given kind (with an optional text) and returns the code of
  // the answer.
  virtual int AskMessage(int kind, const std::string& text = {}) = 0;

  // The user gave up on a download of a known device: the update-check dialog goes out
  // of sight while its worker finishes.
  virtual void HideUpdateCheckWindow() = 0;

  // The file dialog of the history commands: the chosen ".hist" path, or nothing when
  // the user cancels.
  virtual std::optional<std::string> ChooseHistoryFile(bool forExport) = 0;

  // A history import replaced the histories: the front end refreshes its history list
  // and shows the start screen.
  virtual void HistoryImported() = 0;
};

}  // namespace cbx
