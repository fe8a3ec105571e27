#include "cli/SessionCommands.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/DeviceConnection.h"
#include "cli/RecordJson.h"
#include "cli/TerminalUi.h"
#include "dock/DeviceIdentity.h"
#include "lens/TransferHost.h"
#include "session/SessionRun.h"
#include "sim/BackendFactory.h"

namespace cbx::cli {

namespace {

using Clock = std::chrono::steady_clock;

struct SessionArgs {
  bool json = false;
  bool yes = false;
  std::string target;
  double waitSeconds = 3;
};

enum class Mode { kWatch, kCheck, kUpdate };

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) { interrupted = true; }

// How long nothing must happen before a check or an update counts as finished: longer than
// the poll's first status and the flash unit's settle wait.
constexpr auto kSettle = std::chrono::milliseconds(2500);
// A device that went away for its firmware restart and never came back.
constexpr auto kRestartLimit = std::chrono::seconds(60);

const char* MessageName(std::uint32_t message) {
  switch (message) {
    case WM_START_MONITORING: return "start-monitoring";
    case WM_DOCK_OPENED: return "dock-opened";
    case WM_DOCK_STATUS: return "dock-status";
    case WM_DOCK_ACCESS_DENIED: return "dock-access-denied";
    case WM_DOCK_RESTARTED: return "dock-restarted";
    case WM_CONVERTER_RESTARTED: return "converter-restarted";
    case WM_DEVICECHANGE: return "device-change";
    default: return "event";
  }
}

std::string Hex2(int value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "0x%02X", static_cast<unsigned>(value) & 0xFF);
  return buffer;
}

nlohmann::ordered_json EventJson(const Event& e) {
  nlohmann::ordered_json out{{"event", "device"}, {"message", MessageName(e.message)}};
  if (e.message == WM_DOCK_STATUS) {
    out["previous"] = Hex2(static_cast<int>(e.wParam & 0xFFFF));
    out["status"] = Hex2(static_cast<int>((e.wParam >> 16) & 0xFFFF));
  } else if (e.message == WM_DOCK_OPENED) {
    out["opened"] = e.wParam != 0;
  }
  return out;
}

const char* CheckResultName(int result) {
  switch (result) {
    case 0: return "newer firmware available";
    case 1: return "already newest";
    case 2: return "check failed";
    case 3: return "the USB device's firmware is too old";
    case 5: return "no usable information";
    case 6: return "a newer program is needed";
    case 7: return "update not permitted";
    default: return "not checked";
  }
}

// Which checks and transfers belong to the USB device itself.
bool IsUsbTransfer(int type) { return type == lens::kTransferDockFirmware || type == lens::kTransferConverterFirmware; }
bool IsFirmwareTransfer(int type) {
  return IsUsbTransfer(type) || type == lens::kTransferLensFirmware || type == lens::kTransferLensFirmwareSectors ||
         type == lens::kTransferLensFirmware256;
}

class CliSession {
 public:
  CliSession(const CliContext& context, const SessionArgs& args, Mode mode)
      : args_(args), mode_(mode), ui_(args.yes),
        run_(sim::MakeBackend(sim::SelectedBackendSpec(context.device)), ui_, events_) {}

  int Run() {
    if (run_.Start() != session::SessionRun::StartResult::kStarted) {
      std::cerr << "calibrix-cli: another ORVANE Calibrix is using " << run_.Lifecycle().Locations().dataFolder
                << "; close it and try again\n";
      return kExitBusy;
    }
    Configure();
    const int code = Pump();
    run_.Finish();
    if (mode_ == Mode::kWatch) return code;
    if (code != 0) return code;
    return mode_ == Mode::kCheck ? ReportCheck() : ReportUpdate();
  }

 private:
  void Configure() {
    ui_.SetTexts(run_.Texts());
    session::SessionController& controller = run_.Controller();
    AnswerTarget target = AnswerTarget::kAny;
    if (args_.target == "dock") target = AnswerTarget::kDock;
    if (args_.target == "attached") target = AnswerTarget::kAttached;
    ui_.SetTarget(target, [&controller] { return controller.AboutUsbDevice(); });
    ui_.SetAnswerNo(mode_ == Mode::kCheck);
    if (mode_ == Mode::kWatch) ui_.SetEventStream(&std::cout, args_.json);
    if (mode_ == Mode::kUpdate) {
      ui_.SetEventStream(&std::cout, args_.json);
      ui_.SetEventFilter({"message", "check", "transfer-start", "transfer-end", "web-page"});
      ui_.SetShowProgress(true);
    }
    controller.onLensOutcome = [this](session::LensVariant variant, const session::LensOutcome& outcome) {
      if (variant == session::LensVariant::kConverter) return;
      if (outcome.showDoneNotice && outcome.sequenceOk) attachedInstalled_ = true;
      // Kept now: a failed run clears the current device afterwards.
      if (!attachedRecord_) attachedRecord_ = run_.State().currentDevice;
    };
  }

  // Hands the device events to the controller, as the window's message loop does.
  int Pump() {
    interrupted = false;
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    // The start-up thread's message: no splash here, so at once.
    events_.Post(Event{WM_START_MONITORING, 0, 0});
    const auto start = Clock::now();
    auto lastActivity = start;
    bool opened = false;
    const auto wait = std::chrono::milliseconds(static_cast<long long>(args_.waitSeconds * 1000));
    AppState& state = run_.State();
    while (!interrupted) {
      if (auto e = events_.Next(std::chrono::milliseconds(100))) {
        if (mode_ == Mode::kWatch && e->message != WM_START_MONITORING) ui_.Emit(EventJson(*e));
        if (e->message == WM_DOCK_OPENED && e->wParam != 0) opened = true;
        run_.Controller().HandleEvent(*e);
        lastActivity = Clock::now();
        continue;
      }
      if (mode_ == Mode::kWatch) continue;
      const auto now = Clock::now();
      if (!opened && now - start > wait) return ReportNoDevice(run_.Dock(), std::cerr);
      if (opened && !state.restartPending && now - lastActivity > kSettle) break;
      if (state.restartPending && now - lastActivity > kRestartLimit) break;
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    return interrupted && mode_ != Mode::kWatch ? 1 : 0;
  }

  // The first real check about each device: what the server said before any question.
  std::optional<int> FirstCheck(bool aboutUsb) const {
    for (const auto& c : ui_.Checks()) {
      if (c.aboutDock == aboutUsb && c.waitKind != 309) return c.result;
    }
    return std::nullopt;
  }

  int ReportCheck() {
    AppState& state = run_.State();
    const bool lost = !state.dockConnected;
    nlohmann::ordered_json usb;
    usb["deviceKind"] = dock::DeviceKindName(run_.Dock().deviceKind());
    const auto usbCheck = FirstCheck(true);
    usb["check"] = usbCheck ? nlohmann::ordered_json(*usbCheck) : nlohmann::ordered_json(nullptr);
    usb["dockRawVersion"] = state.dock.dockRawVersion;
    usb["dockId"] = state.dock.dockId;
    usb["dockDisplayVer"] = state.dock.dockDisplayVer;
    usb["dockMountName"] = state.dock.dockMountName;
    usb["dockFwversion"] = state.dock.dockFwversion;
    nlohmann::ordered_json attached = nullptr;
    const auto attachedCheck = FirstCheck(false);
    if (attachedRecord_) {
      attached["check"] = attachedCheck ? nlohmann::ordered_json(*attachedCheck) : nlohmann::ordered_json(nullptr);
      attached["record"] = RecordSummaryJson(*attachedRecord_, state.lensHistory.IndexOf(*attachedRecord_));
    }
    if (args_.json) {
      std::cout << nlohmann::ordered_json{{"usbDevice", usb}, {"attached", attached}}.dump(2) << "\n";
    } else {
      std::cout << "USB device: " << usb["deviceKind"].get<std::string>() << ", firmware " << state.dock.dockRawVersion
                << " (" << state.dock.dockId << "): " << CheckResultName(usbCheck.value_or(-1)) << "\n";
      if (attached.is_null()) {
        std::cout << "Attached:   nothing\n";
      } else {
        const auto& r = attached["record"];
        std::cout << "Attached:   " << r["productName"].get<std::string>() << " (" << r["productCodeText"].get<std::string>()
                  << ", S/N " << r["serialNumber"].get<std::string>() << "), firmware "
                  << r["rawVersion"].get<std::string>() << ": " << CheckResultName(attachedCheck.value_or(-1)) << "\n";
      }
    }
    if (lost || state.dock.dockRawVersion.empty()) {
      std::cerr << "calibrix-cli: " << (lost ? "the device was lost during the check" : "cannot identify the USB device")
                << "\n";
      return 1;
    }
    return 0;
  }

  int ReportUpdate() {
    // The USB device's update counts once it came back and its re-check passed.
    bool anyTransfer = false;
    int usbTransferred = 0;  // place of the last complete transfer to the USB device
    for (const auto& t : ui_.Transfers()) {
      if (IsFirmwareTransfer(t.transferType)) anyTransfer = true;
      if (IsUsbTransfer(t.transferType) && t.result == lens::kTransferSuccess) usbTransferred = t.order;
    }
    bool usbInstalled = false;
    for (const auto& c : ui_.Checks()) {
      if (usbTransferred != 0 && c.aboutDock && c.order > usbTransferred) usbInstalled = c.result != 2 && c.result != 5;
    }
    const bool wantUsb = args_.target != "attached";
    const bool wantAttached = args_.target != "dock";
    const bool installed = (wantUsb && usbInstalled) || (wantAttached && attachedInstalled_);
    if (installed) {
      std::cerr << "calibrix-cli: firmware installed and checked\n";
      return 0;
    }
    std::cerr << "calibrix-cli: " << (anyTransfer ? "the firmware update did not complete" : "no firmware was installed")
              << "\n";
    return 1;
  }

  SessionArgs args_;
  Mode mode_;
  TerminalUi ui_;
  EventQueue events_;
  session::SessionRun run_;
  bool attachedInstalled_ = false;
  std::optional<update::CLensUpdateInfoData> attachedRecord_;
};

void AddCommand(CLI::App& app, CliContext& context, Mode mode, const char* name, const char* description) {
  auto args = std::make_shared<SessionArgs>();
  auto* command = app.add_subcommand(name, description);
  command->add_flag("--json", args->json, mode == Mode::kCheck ? "Print the report as JSON" : "One JSON object per line");
  if (mode != Mode::kWatch) {
    command->add_option("--wait", args->waitSeconds, "Seconds to wait for a device (default 3)")
        ->check(CLI::NonNegativeNumber);
  }
  if (mode == Mode::kUpdate) {
    command->add_flag("--yes", args->yes, "Answer yes to the questions about the target");
    command->add_option("--target", args->target, "Which device to update: dock (the USB device) or attached")
        ->check(CLI::IsMember({"dock", "attached"}));
  }
  command->callback([args, &context, mode] { context.exitCode = CliSession(context, *args, mode).Run(); });
}

}  // namespace

void AddSessionCommands(CLI::App& app, CliContext& context) {
  AddCommand(app, context, Mode::kWatch, "watch", "Follow devices as they come and go, one line per event, until interrupted");
  AddCommand(app, context, Mode::kCheck, "check",
             "Identify the device and what is mounted, check the server, install nothing");
  AddCommand(app, context, Mode::kUpdate, "update", "Check and install newer firmware, as when a device is plugged in");
}

}  // namespace cbx::cli
