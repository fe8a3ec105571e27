// What the device session asks of its front end (the window, the terminal, a test).
// Calls block like a modal dialog and may come from worker threads, so every
// implementation must be safe to call from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "update/EmcControl.h"

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

  // Ends the message the session published (the one AskMessage is showing) from outside,
  // with its OK code or its Cancel code.
  virtual void EndMessage(bool withOk) = 0;
  // Ends the published waiting message with its OK code.
  virtual void EndWaitMessage() = 0;

  // The update-check dialog: shows the waiting message of a kind while `check` runs on a
  // worker, and returns the check's result.
  virtual int RunUpdateCheck(int waitMessageKind, const std::function<int()>& check) = 0;

  // The progress dialog of a transfer type: `transfer` does the device work and returns
  // its result code; it blocks until the work is done, so a window runs it on a worker
  // thread while its modal loop keeps the window alive, and a terminal may simply call it.
  // The progress to draw is the one the session shares with the front end.
  virtual int RunTransfer(int transferType, const std::function<int()>& transfer) = 0;
  // The progress of the running transfer, from its worker thread.
  virtual void TransferProgressed(int /*transferType*/, int /*min*/, int /*max*/, int /*position*/) {}

  // The EMC test dialog: `loop` repeats its transfers until `control` says cancel and
  // returns the result that ends the dialog. A window runs it on a worker thread, shows the
  // control's status and progress and turns its cancel button into RequestCancel; without
  // a dialog it simply runs here (whoever holds the control may cancel it).
  virtual int RunEmcTest(EmcControl& /*control*/, const std::function<int()>& loop) { return loop(); }

  // The home view: a screen (-1 start, 0 lens home, 9 converter home, 10 flash home) and
  // the home messages (UM_LENS_HOME, UM_MOUNT_HOME, UM_FLASH_HOME) with their two flags.
  virtual void ShowScreen(int screen) = 0;
  virtual void HomeMessage(std::uint32_t message, bool updateAllowed, bool customAllowed) = 0;
  virtual void RefreshHistoryList() = 0;
  // The connected device's row: its index in the lens history (-1 when no device is
  // connected) and whether its record was added to the history just now.
  virtual void MarkConnectedDevice(int index, bool added) = 0;
  // Device loss closes the dock-information dialog, when it is open, as if OK were pressed.
  virtual void ClosePreferenceDialog() = 0;

  // The top bar: the device title and the connection lamp.
  virtual void SetDeviceTitle(const std::string& title, bool highlighted) = 0;
  virtual void SetConnectionLamp(bool on) = 0;

  // The program's web page in the user's language.
  virtual void OpenProgramWebPage() = 0;
};

}  // namespace cbx
