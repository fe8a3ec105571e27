// The firmware workers: they move a downloaded firmware file into the lens, the flash
// unit, the lens dock or the mount converter, one acknowledged unit at a time. The file is
// streamed in unit-sized pieces, never held whole.
#pragma once

#include <atomic>
#include <chrono>

#include "dock/DockDevice.h"
#include "lens/TransferHost.h"
#include "update/DockUpdateInfo.h"
#include "update/LensUpdateInfo.h"

namespace cbx::firmware {

// Function numbers of the numbered error reports.
inline constexpr int kFnDockFWUpdate = 10;
inline constexpr int kFnDockFWUpdateThread = 11;
inline constexpr int kFnLensFWUpdate = 20;
inline constexpr int kFnLensFWUpdateThread = 21;

// The converter comes back under its own product after its restart; the worker looks for
// it this often and this patiently.
struct ReconnectTiming {
  std::chrono::milliseconds firstWait{2000};
  std::chrono::milliseconds retryWait{500};
  int attempts = 6;
};

// Lens or flash firmware (types 0, 16 and 17) from record.fwLocalPath along record.fwMap.
// On success the record's rawVersion becomes its Fwversion. Returns the transfer result.
int LensFWUpdateThread(int transferType, dock::DockDevice& device, update::CLensUpdateInfoData& record,
                       lens::TransferProgress& progress);

// Lens dock or mount converter firmware (types 1 and 14) from dockFwLocalPath along
// dockFwMap. restartPending is raised just before the closing 0x050B, so that the
// device's disappearance is known to belong to the update; the converter is then found
// again here. Returns the transfer result.
int DockFWUpdateThread(int transferType, dock::DockDevice& device, update::DockUpdateInfo& dock,
                       std::atomic<bool>& restartPending, lens::TransferProgress& progress,
                       const ReconnectTiming& timing = {});

}  // namespace cbx::firmware
