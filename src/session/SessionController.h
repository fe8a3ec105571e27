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
#include "lens/LensSettingsModel.h"
#include "lens/SettingsWorkers.h"
#include "update/AppState.h"
#include "update/SessionUi.h"
#include "update/UpdateCheck.h"

namespace cbx::session {

// The attached-device sequence: a lens on the lens dock, a lens behind a mount converter,
// a flash unit, or the mount converter itself.
enum class LensVariant { kLens, kConverterLens, kFlash, kConverter };

// What an attached-device sequence hands back to its caller.
struct LensOutcome {
  bool showDoneNotice = false;
  bool sequenceOk = true;
  bool customAllowed = true;
  bool showBlockedMessage = false;
  bool settingsRead = false;
  bool forgetDevice = false;
  bool blockedBySettings = false;
  bool flashUpdateAllowed = true;
};

// Error report numbers of the dock sequence.
inline constexpr int kFnDockSequence = 1;
inline constexpr int kErrCannotReadDockVersion = 1;
inline constexpr int kErrCannotCheckDockUpdate = 2;

// Error report numbers of the attached-device sequence (also used by the converter's restart).
inline constexpr int kFnLensSequence = 2;
inline constexpr int kErrSerialNumber = 3;
inline constexpr int kErrProductCode = 4;
inline constexpr int kErrFirmwareVersion = 5;
inline constexpr int kErrUpdateErrLens = 6;
inline constexpr int kErrCheckLensUpdate = 7;
inline constexpr int kErrLensInfo = 8;

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
  // The lens settings kept across a lens firmware update, and the operations on them.
  lens::LensSettingsModel& model;
  lens::SettingsController& settings;
};

class SessionController {
 public:
  explicit SessionController(SessionParts parts);
  ~SessionController();  // joins the reconnect-wait thread
  SessionController(const SessionController&) = delete;
  SessionController& operator=(const SessionController&) = delete;

  // Dispatches one event; call only on the user-interface thread.
  void HandleEvent(const Event& event);

  // Checks for a newer program, fills the history list and starts looking for devices.
  void StartMonitoring();
  void OnDockOpened(bool opened);
  void OnDockStatus(int previous, int current);
  // The platform says devices changed: a device that no longer answers is lost.
  void OnDeviceChange();
  void OnDockRestarted();
  void OnConverterRestarted();

  void DeviceLost();
  // The device loss after a converter update: a converter that still answers is waited for.
  void ConverterLost();
  void ResetToHome();
  void ForgetDevice();
  bool IsCurrentDeviceShown() const;
  bool NoCurrentDevice() const;
  void SetDockConnected(bool connected);
  void SetSequenceActive(bool active) { s_.state.sequenceActive = active; }

  // The sequence of the USB device itself: lens dock, flash unit or mount converter.
  void StartDockFWUpdateSequence(bool automatic);
  // The lens-dock variant whatever the device kind says (a lens dock carrying a converter).
  void StartLensDockFWUpdateSequence(bool automatic);
  // Identifies what is attached, checks for newer firmware and offers it.
  void StartLensFWUpdateSequence(LensVariant variant, bool automatic, LensOutcome& outcome);
  // What the status handler does with the outcome of an automatic run.
  void HandleAutomaticOutcome(LensVariant variant, const LensOutcome& outcome);
  // The firmware-update button of a home screen (0 lens, 9 mount converter, 10 flash): runs
  // the sequence the screen stands for and deals with its outcome. The screen then refreshes
  // itself when told to, with the customisation permission given.
  struct HomeRefresh {
    bool refresh = false;
    bool customAllowed = false;
  };
  HomeRefresh OnHomeUpdateButton(int homeScreen);
  // The EMC test of the USB device's kind, until the user cancels it: polling stays stopped
  // and emcRunning set while it runs. True when the user ended it (result 0); after any
  // other end emcRunning stays set, so the screens start the test again when the device
  // comes back. Polling runs again afterwards. A call while a test runs does nothing.
  bool EmcTest();
  // The dock's version for display, completed from the dock history when needed.
  std::string DockVersionLine();

  // Questions while the device stays watched (the poll thread runs) or quietly.
  int AskWithPolling(int kind, const std::string& text = {});
  int AskQuietly(int kind, const std::string& text = {});

  // Waits for the dock sequence to end, then posts the restart event for the device kind.
  void StartReconnectWait();
  // Whether the sequence that runs now (or ran last) is about the USB device itself rather
  // than what is attached to it; front ends that answer questions by device use it.
  bool AboutUsbDevice() const { return aboutUsbDevice_; }
  // Told the outcome of every attached-device sequence as it ends (front ends that
  // report what happened use it).
  std::function<void(LensVariant, const LensOutcome&)> onLensOutcome;

  // Shortens the reconnect-wait steps in tests.
  void SetReconnectStep(std::chrono::milliseconds step) { reconnectStep_ = step; }

 private:
  // The text with this id from the text table, or empty.
  std::string Text(int id) const;
  // The start screen with the home message of the kind (0: none), as the removal paths show it.
  void ClearShownDevice(std::uint32_t homeMessage);
  // A device is there but this user may not open it: says what to do, once a run.
  void OnDockAccessDenied();
  void EndOpenDialogs();
  void EndOpenMessageIfEndable();
  // Ends a sequence: a lost device is handled, a present one is watched again.
  void FinalProbe();
  int RunCheck(int checkKind, int waitKind);
  void RunLensSequence(LensVariant variant);
  // The messages of a failed run, shared by both outcome handlings; false when nothing was shown.
  bool ShowFailureMessage(LensVariant variant, const LensOutcome& outcome);
  void StartConverterSequence(bool automatic);
  void RunDockSequence(bool automatic, bool flash);
  // Every dock sequence starts holding the device with the poll thread stopped and ends
  // with both flags clear.
  void BeginDockSequence();
  void EndDockSequence();
  void RunLensSteps(LensVariant variant, bool automatic, LensOutcome& out);
  // A status request after a question or a check: whether it was answered, and the status.
  struct Probe {
    bool answered = false;
    int status = 0;
  };
  Probe ProbeDevice();
  // Stores currentDevice in the lens history and lets the front end mark it.
  void MarkConnectedDevice();
  // The shown record becomes the current device, with its title and history row.
  void ShowCurrentDevice(int homeScreen);
  void DropSettingsImages();
  // The parts of device loss after the open dialogs are dealt with.
  void EndForLoss();
  void ForgetLostDevice(std::uint32_t homeMessage);
  // A message the session may end from outside (published); no probe afterwards.
  int AskPublished(int kind, const std::string& text = {});
  int AskWaitPublished(int kind, const std::string& text = {});

  SessionParts s_;
  std::atomic<bool> aboutUsbDevice_{false};
  std::atomic<bool> emcInProgress_{false};
  bool accessNoticeShown_ = false;  // the device-permission advice comes once a run
  std::chrono::milliseconds reconnectStep_{100};
  std::mutex reconnectMutex_;  // guards the thread object
  std::thread reconnectThread_;
};

}  // namespace cbx::session
