// The one USB device link of the program: discovery, 65-byte reports, the connect and
// status-poll threads, the command protocol and the identification reads.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>

#include "dock/DockConfig.h"
#include "dock/EventSink.h"
#include "dock/HidBackend.h"
#include "dock/Protocol.h"

namespace cbx::dock {

// Every read is bounded: a silent device ends the exchange as a failed read.
inline constexpr int kReadTimeoutMs = 3000;
// Waits for "still working" answers give up after this long.
inline constexpr std::chrono::milliseconds kStillWorkingLimit{60000};
// After the second and later sector-table chunks, an answer is read only if one comes
// within this time; some devices answer every chunk, others only the first.
inline constexpr int kSectorTableGraceMs = 1000;
inline constexpr std::chrono::milliseconds kPollInterval{1000};
inline constexpr std::chrono::milliseconds kConnectInterval{500};

struct HidCaps {
  std::size_t inputReportByteLength = 0;
  std::size_t outputReportByteLength = 0;
};

struct HidAttributes {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
};

struct HidInterfaceRecord {
  std::string devicePath;
  HidCaps caps;
  HidAttributes attributes;
};

class DockDevice {
 public:
  explicit DockDevice(std::shared_ptr<HidBackend> backend);
  ~DockDevice();  // stops both threads, then closes
  DockDevice(const DockDevice&) = delete;
  DockDevice& operator=(const DockDevice&) = delete;

  // ---- Discovery and transport ----

  // Opens the first interface of the dock vendor with this product; the record and the
  // connection are kept even when opening failed (IsReady then stays false).
  bool FindDevice(std::uint16_t productId, bool& readOpened, bool& writeOpened);
  bool IsReady() const;
  bool SendCommand(std::uint16_t code);
  bool ReadResponse(std::uint16_t expectedCode, Report& buffer);
  // Writes a prepared request (data packets are built by the firmware worker).
  bool WriteReport(const Report& report);
  bool RequestStatus(int& status);
  bool RequestStatusExclusive(int* status = nullptr);
  bool IsNotBusy();
  void Close();

  // ---- Threads ----

  void StartPolling();
  void StopPolling();
  void StartConnectThread();
  // Sets stopConnect, waits for the connect thread to end, clears stopConnect.
  void StopConnectThread();
  // Where the threads post; null stops every post (returns only when no post is under way).
  void RegisterArrival(EventSink* sink);
  bool IsPolling() const { return pollRunning_.load(); }
  bool IsConnecting() const { return connectRunning_.load(); }

  // ---- Command protocol ----

  bool SendWords(std::uint16_t code, std::uint16_t wordA, std::uint16_t wordB);
  bool SendBlock(std::uint16_t code, std::uint16_t wordA, std::uint16_t wordB, const Unit& data);
  bool SendSubPacket(std::uint16_t code, std::uint16_t wordA, std::uint16_t wordB, std::uint16_t wordC,
                     std::span<const std::uint8_t> data);
  bool ReadAck(std::uint16_t expectedCode, int& status, std::uint16_t& word1, std::uint16_t& word2);
  bool ReadSubPacketAck(std::uint16_t expectedCode, int& status, std::uint16_t& word1,
                        std::uint16_t& word2, std::uint16_t& word3);
  bool ReadBlock(std::uint16_t expectedCode, std::uint16_t& word1, std::uint16_t& word2, Unit& data,
                 int& status);
  bool CommandAndWait(std::uint16_t requestCode, std::uint16_t responseCode, int& status);
  // Lengths are in 32-byte units; they travel as bytes.
  bool SendSectorTable(int& status, std::span<const std::uint32_t> startAddresses,
                       std::span<const std::uint32_t> lengthUnits);

  // ---- Identification ----

  bool ReadProductCode(std::string& productCodeText, std::string& mountText, int& mountCode);
  bool ReadProductCodeOnConverter(std::string& productCodeText, std::string& mountText, int& mountCode);
  bool ReadSerialNumber(std::string& serialNumber);
  bool ReadFirmwareVersion(std::string& versionText, std::uint8_t& formatByte, int mountCode);
  bool ReadDeviceVersion(std::string& versionText, std::string& mountText, int& mountCode,
                         std::uint32_t& version, std::uint8_t& formatByte, std::uint8_t& capability);
  bool ReadDeviceVersionOnConverter(std::string& versionText, std::string& mountText, int& mountCode,
                                    std::uint32_t& version, std::uint8_t& formatByte,
                                    std::uint8_t& capability);
  bool ReadPathCode(int& pathClass, std::string& text);

  // ---- State ----

  DeviceKind deviceKind() const { return deviceKind_.load(); }
  void SetDeviceKind(DeviceKind kind) { deviceKind_.store(kind); }
  std::uint16_t productCode() const { return productCode_.load(); }
  void SetProductCode(std::uint16_t code) { productCode_.store(code); }
  int lastStatus() const { return lastStatus_.load(); }
  // The settings sequences record the status they asked for themselves after a lens failure.
  void SetLastStatus(int status) { lastStatus_.store(status); }
  std::optional<HidInterfaceRecord> Record() const;
  // The node of a matching device the connect thread found but may not open (permission),
  // until a device opens or none is present; WM_DOCK_ACCESS_DENIED announced it.
  std::optional<std::string> DeniedDevicePath() const;
  const HidBackend& Backend() const { return *backend_; }

  // Bounds of the waits, shortened by tests.
  void SetReadTimeoutMs(int ms) { readTimeoutMs_.store(ms); }
  void SetStillWorkingLimit(std::chrono::milliseconds limit) { stillWorkingLimit_.store(limit); }
  void SetSectorTableGraceMs(int ms) { sectorGraceMs_.store(ms); }

 private:
  enum class ReadResult { kOk, kTimeout, kFailed };

  std::shared_ptr<HidConnection> ReadyConnection() const;
  ReadResult ReadReport(Report& buffer, int timeoutMs);
  // One request code and its one response.
  bool Exchange(std::uint16_t requestCode, std::uint16_t responseCode, Report& reply);
  bool ReadWaitedStatus(std::uint16_t responseCode, int& status, bool firstReadMayTimeOut);
  bool ReadDeviceVersionWith(bool converterTable, std::string& versionText, std::string& mountText,
                             int& mountCode, std::uint32_t& version, std::uint8_t& formatByte,
                             std::uint8_t& capability);
  bool ReadProductCodeWith(bool converterTable, std::string& productCodeText, std::string& mountText,
                           int& mountCode);
  void Post(std::uint32_t message, std::uintptr_t wParam);
  void PollThread();
  void ConnectThread();
  // Keeps and announces a found device that this user may not open.
  void NoteAccess(bool found);

  std::shared_ptr<HidBackend> backend_;

  mutable std::mutex deviceMutex_;  // guards record_ and connection_
  std::optional<HidInterfaceRecord> record_;
  std::shared_ptr<HidConnection> connection_;
  bool lastFindDenied_ = false;                // the last FindDevice met a locked node
  std::optional<std::string> deniedPath_;

  std::mutex sinkMutex_;
  EventSink* sink_ = nullptr;

  std::atomic<int> lastStatus_{0};
  std::atomic<DeviceKind> deviceKind_{DeviceKind::NoDevice};
  std::atomic<std::uint16_t> productCode_{0};
  std::atomic<bool> stopConnect_{false};
  std::atomic<bool> pausePolling_{false};
  std::atomic<bool> pollRunning_{false};
  std::atomic<bool> connectRunning_{false};

  std::mutex threadMutex_;  // guards the thread objects
  std::thread pollThread_;
  std::thread connectThread_;

  std::atomic<int> readTimeoutMs_{kReadTimeoutMs};
  std::atomic<std::chrono::milliseconds> stillWorkingLimit_{kStillWorkingLimit};
  std::atomic<int> sectorGraceMs_{kSectorTableGraceMs};
};

}  // namespace cbx::dock
