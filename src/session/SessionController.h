// The controller of the device session: reacts, on the user-interface thread, to the
// events of the device threads, keeps the session state of AppState, decides which home
// screen is shown and runs the identification and update sequences.
#pragma once

#include "app/TextResources.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "dock/DockDevice.h"
#include "dock/EventSink.h"
#include "firmware/FirmwareUpdate.h"
#include "update/AppState.h"
#include "update/SessionUi.h"
#include "update/UpdateCheck.h"

namespace cbx::session {

// Which attached-device sequence the status handler asks for.
enum class LensVariant { kLens, kConverterLens, kFlash };

// Error report numbers of the dock sequence.
inline constexpr int kFnDockSequence = 1;
inline constexpr int kErrCannotReadDockVersion = 1;
inline constexpr int kErrCannotCheckDockUpdate = 2;

// The device has no readable firmware version.
inline constexpr std::uint32_t kUnreadableDockVersion = 0xFFFF00;

struct SessionParts {
  AppState& state;
  dock::DockDevice& dock;
  SessionUi& ui;
  update::UpdateChecker& checker;
  firmware::FirmwareUpdater& updater;
  // Where the reconnect-wait thread posts its restart events (the UI thread's queue).
  EventSink& events;
  // The texts that questions carry; a text missing from the table is shown empty.
  const TextTable& texts;
};

class SessionController {
 public:
  explicit SessionController(SessionParts parts);
  ~SessionController();  // joins the reconnect-wait thread
  SessionController(const SessionController&) = delete;
  SessionController& operator=(const SessionController&) = delete;

  // The attached-device sequence (lens, converter lens, flash), run with automatic = true.
  // It belongs to a later stage; until it is set a status change only refreshes the screens.
  std::function<void(LensVariant)> startLensSequence;

  // Dispatches one event; call only on the user-interface thread.
  void HandleEvent(const Event& event);

  void OnDockOpened(bool opened);
  void OnDockStatus(int previous, int current);
  void OnDockRestarted();

  void DeviceLost();
  void ResetToHome();
  void ForgetDevice();
  bool IsCurrentDeviceShown() const;
  bool NoCurrentDevice() const;
  void SetDockConnected(bool connected);
  void SetSequenceActive(bool active) { s_.state.sequenceActive = active; }

  // The dock sequence of the lens dock and the flash unit.
  void StartDockFWUpdateSequence(bool automatic);
  // The dock's version for display, completed from the dock history when needed.
  std::string DockVersionLine();

  // Questions while the device stays watched (the poll thread runs) or quietly.
  int AskWithPolling(int kind, const std::string& text = {});
  int AskQuietly(int kind, const std::string& text = {});

  // Waits for the dock sequence to end, then posts the restart event for the device kind.
  void StartReconnectWait();
  // Shortens the reconnect-wait steps in tests.
  void SetReconnectStep(std::chrono::milliseconds step) { reconnectStep_ = step; }

 private:
  // The text with this id from the text table, or empty.
  std::string Text(int id) const;
  // The start screen with the home message of the kind, as the removal paths show it.
  void ClearShownDevice(std::uint32_t homeMessage);
  void EndOpenDialogs();
  void EndOpenMessageIfEndable();
  // Ends a sequence: a lost device is handled, a present one is watched again.
  void FinalProbe();
  int RunCheck(int checkKind, int waitKind);
  void RunLensSequence(LensVariant variant);

  SessionParts s_;
  std::chrono::milliseconds reconnectStep_{100};
  std::mutex reconnectMutex_;  // guards the thread object
  std::thread reconnectThread_;
};

}  // namespace cbx::session
