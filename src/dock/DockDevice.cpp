// Discovery, report transport and the two device threads.
#include "dock/DockDevice.h"

namespace cbx::dock {

namespace {

constexpr std::chrono::milliseconds kHandshakeStep{10};

// Sleeps for `total` in short steps, ending early when `stop` becomes true.
void SleepUnless(const std::atomic<bool>& stop, std::chrono::milliseconds total) {
  const auto end = std::chrono::steady_clock::now() + total;
  while (!stop.load() && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(kHandshakeStep);
  }
}

}  // namespace

DockDevice::DockDevice(std::shared_ptr<HidBackend> backend) : backend_(std::move(backend)) {}

DockDevice::~DockDevice() {
  RegisterArrival(nullptr);
  StopPolling();
  StopConnectThread();
  Close();
}

bool DockDevice::FindDevice(std::uint16_t productId, bool& readOpened, bool& writeOpened) {
  readOpened = false;
  writeOpened = false;
  std::optional<HidInterface> found = backend_->FindAndOpen(DockVendorId(), productId);
  if (!found) return false;
  HidInterfaceRecord record{found->devicePath,
                            {found->inputReportLength, found->outputReportLength},
                            {found->vendorId, found->productId}};
  readOpened = writeOpened = found->connection != nullptr;
  std::lock_guard lock(deviceMutex_);
  lastFindDenied_ = !found->connection && found->accessDenied;
  record_ = std::move(record);
  connection_ = std::move(found->connection);
  return true;
}

bool DockDevice::IsReady() const { return ReadyConnection() != nullptr; }

std::shared_ptr<HidConnection> DockDevice::ReadyConnection() const {
  std::lock_guard lock(deviceMutex_);
  if (!record_ || !connection_) return nullptr;
  if (record_->caps.inputReportByteLength != kReportSize ||
      record_->caps.outputReportByteLength != kReportSize) {
    return nullptr;
  }
  return connection_;
}

std::optional<HidInterfaceRecord> DockDevice::Record() const {
  std::lock_guard lock(deviceMutex_);
  return record_;
}

std::optional<std::string> DockDevice::DeniedDevicePath() const {
  std::lock_guard lock(deviceMutex_);
  return deniedPath_;
}

void DockDevice::Close() {
  std::shared_ptr<HidConnection> connection;
  {
    std::lock_guard lock(deviceMutex_);
    record_.reset();
    connection.swap(connection_);
  }
  lastStatus_.store(0);
  // The connection closes when the last transfer holding it has finished.
}

bool DockDevice::WriteReport(const Report& report) {
  const auto connection = ReadyConnection();
  if (!connection) return false;
  return connection->Write(report.data(), report.size()) == static_cast<int>(kReportSize);
}

DockDevice::ReadResult DockDevice::ReadReport(Report& buffer, int timeoutMs) {
  buffer.fill(0);
  const auto connection = ReadyConnection();
  if (!connection) return ReadResult::kFailed;
  const int n = connection->Read(buffer.data(), buffer.size(), timeoutMs);
  if (n == 0) return ReadResult::kTimeout;
  return n == static_cast<int>(kReportSize) ? ReadResult::kOk : ReadResult::kFailed;
}

bool DockDevice::SendCommand(std::uint16_t code) { return WriteReport(CodeRequest{code}.Encode()); }

bool DockDevice::ReadResponse(std::uint16_t expectedCode, Report& buffer) {
  if (ReadReport(buffer, readTimeoutMs_.load()) != ReadResult::kOk) return false;
  return CodeOf(buffer) == expectedCode;
}

bool DockDevice::Exchange(std::uint16_t requestCode, std::uint16_t responseCode, Report& reply) {
  return SendCommand(requestCode) && ReadResponse(responseCode, reply);
}

bool DockDevice::RequestStatus(int& status) {
  status = kStatusNoAnswer;
  Report reply;
  if (!Exchange(cmd::kStatus, cmd::kStatusReply, reply)) return false;
  const std::uint8_t value = StatusReply::Decode(reply).status;
  if (!IsValidStatusByte(value)) return false;
  status = value;
  return true;
}

bool DockDevice::RequestStatusExclusive(int* status) {
  const bool wasPolling = pollRunning_.load();
  if (wasPolling) StopPolling();
  int value = kStatusNoAnswer;
  const bool ok = RequestStatus(value);
  if (wasPolling && !pollRunning_.load()) StartPolling();
  if (status != nullptr) *status = ok ? value : kStatusNoAnswer;
  return ok;
}

bool DockDevice::IsNotBusy() {
  int status = kStatusNoAnswer;
  const bool ok = RequestStatusExclusive(&status);
  return !(ok && status == kStatusBusy);
}

void DockDevice::RegisterArrival(EventSink* sink) {
  std::lock_guard lock(sinkMutex_);
  sink_ = sink;
}

void DockDevice::Post(std::uint32_t message, std::uintptr_t wParam) {
  std::lock_guard lock(sinkMutex_);
  if (sink_ != nullptr) sink_->Post({message, wParam, 0});
}

void DockDevice::StartPolling() {
  std::lock_guard lock(threadMutex_);
  if (pollRunning_.load()) return;
  if (pollThread_.joinable()) pollThread_.join();  // it has ended on its own
  pausePolling_.store(false);
  pollRunning_.store(true);
  pollThread_ = std::thread([this] { PollThread(); });
}

void DockDevice::StopPolling() {
  pausePolling_.store(true);
  while (pollRunning_.load()) std::this_thread::sleep_for(kHandshakeStep);
  {
    std::lock_guard lock(threadMutex_);
    if (pollThread_.joinable()) pollThread_.join();
  }
  pausePolling_.store(false);
}

void DockDevice::StartConnectThread() {
  if (Record()) return;
  std::lock_guard lock(threadMutex_);
  if (connectRunning_.load()) return;
  if (connectThread_.joinable()) connectThread_.join();
  stopConnect_.store(false);
  connectRunning_.store(true);
  connectThread_ = std::thread([this] { ConnectThread(); });
}

void DockDevice::StopConnectThread() {
  stopConnect_.store(true);
  while (connectRunning_.load()) std::this_thread::sleep_for(kHandshakeStep);
  {
    std::lock_guard lock(threadMutex_);
    if (connectThread_.joinable()) connectThread_.join();
  }
  stopConnect_.store(false);
}

void DockDevice::PollThread() {
  int previous = lastStatus_.load();
  while (!pausePolling_.load()) {
    int status = kStatusNoAnswer;
    const bool ok = RequestStatus(status);
    if (status != previous) {
      lastStatus_.store(status);
      const auto wParam = (static_cast<std::uintptr_t>(status & 0xFFFF) << 16) |
                          static_cast<std::uintptr_t>(previous & 0xFFFF);
      Post(WM_DOCK_STATUS, wParam);
    }
    if (!ok) break;  // the controller takes the change to 1 as the loss of the device
    previous = status;
    SleepUnless(pausePolling_, kPollInterval);
  }
  pollRunning_.store(false);
}

void DockDevice::ConnectThread() {
  struct Candidate {
    std::uint16_t productId;
    DeviceKind kind;
  };
  // The order decides which device wins when several are present.
  static constexpr Candidate kCandidates[] = {
      {kProductLensDock, DeviceKind::LensDock},
      {kProductFlash, DeviceKind::Flash},
      {kProductMountConverter, DeviceKind::MountConverter},
  };
  bool found = false;
  bool readOpened = false, writeOpened = false;
  while (!stopConnect_.load()) {
    found = false;
    for (const auto& candidate : kCandidates) {
      if (FindDevice(candidate.productId, readOpened, writeOpened)) {
        deviceKind_.store(candidate.kind);
        found = true;
        break;
      }
    }
    if (!found) deviceKind_.store(DeviceKind::NoDevice);
    NoteAccess(found);
    if (found) {
      const bool wasPolling = pollRunning_.load();
      if (wasPolling) StopPolling();
      int status = kStatusNoAnswer;
      const bool ok = RequestStatus(status);
      if (wasPolling && !pollRunning_.load()) StartPolling();
      if (ok) break;
      Close();
      found = false;  // a closed device is not announced, even when stopping now
    }
    SleepUnless(stopConnect_, kConnectInterval);
  }
  if (found) Post(WM_DOCK_OPENED, readOpened && writeOpened ? 1 : 0);
  connectRunning_.store(false);
}

void DockDevice::NoteAccess(bool found) {
  bool announce = false;
  {
    std::lock_guard lock(deviceMutex_);
    const bool denied = found && lastFindDenied_ && record_;
    if (!denied) {
      // A device that opens, or none at all: a later lock-out is news again.
      deniedPath_.reset();
    } else if (deniedPath_ != record_->devicePath) {
      deniedPath_ = record_->devicePath;
      announce = true;
    }
  }
  if (announce) Post(WM_DOCK_ACCESS_DENIED, 0);
}

}  // namespace cbx::dock
