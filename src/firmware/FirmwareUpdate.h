// The controller's firmware operations: each checks that the device can take an update,
// gives the device to one firmware worker under the transfer host, and turns the worker's
// result into the numbered report and the message the user sees.
#pragma once

#include "dock/DockDevice.h"
#include "firmware/FirmwareTransfer.h"
#include "lens/TransferHost.h"
#include "update/AppState.h"
#include "update/SessionUi.h"

namespace cbx::firmware {

// Message kinds shown when a dock or converter update failed.
inline constexpr int kMessageDockUpdateFailed = 23;
inline constexpr int kMessageConverterUpdateFailed = 203;

// What the operations work with. The progress is the one the front end draws.
struct FirmwareUpdater {
  dock::DockDevice& device;
  AppState& state;
  SessionUi& ui;
  lens::TransferHost& host;
  lens::TransferProgress& progress;
  ReconnectTiming reconnect{};
};

// Lens firmware from currentDevice; transferMethod 1 sends a sector table and packets,
// 2 uses 256-byte blocks, anything else 32-byte blocks. Leaves the poll thread stopped:
// the lens restarts and the caller waits for it.
bool LensFWUpdate(FirmwareUpdater& u);
// Flash firmware from currentDevice, in 32-byte blocks. A busy flash unit clears notBusy.
bool FlashFWUpdate(FirmwareUpdater& u, bool& notBusy);
// Lens dock firmware from the dock fields. The caller has stopped the poll thread.
bool DockFWUpdate(FirmwareUpdater& u);
// Mount converter firmware from the dock fields; the converter is found again afterwards.
bool ConverterFWUpdate(FirmwareUpdater& u);

}  // namespace cbx::firmware
