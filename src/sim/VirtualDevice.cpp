#include "sim/VirtualDevice.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace cbx::sim {

using Clock = std::chrono::steady_clock;

struct VirtualDevice::State {
  explicit State(DeviceProfile profile, bool pluggedIn)
      : responder(std::move(profile)), productId(responder.Profile().device.productId), plugged(pluggedIn) {}

  // Everything below up to the trace is guarded by `mutex`.
  mutable std::mutex mutex;
  std::condition_variable replyReady;  // a reply was queued or the open connection ended
  DeviceResponder responder;
  std::uint16_t productId;
  bool plugged;
  std::optional<Clock::time_point> restartUntil;
  std::uint64_t openId = 0;  // the connection the host holds; 0 when none
  std::uint64_t nextId = 1;
  std::deque<std::vector<std::uint8_t>> replies;
  // The "still working" answer a waited request gets for ever; cleared by the next report.
  std::optional<std::vector<std::uint8_t>> endless;
  Faults faults;
  std::size_t received = 0;

  // Lines are emitted after `mutex` is released, under their own lock so they stay whole.
  std::mutex traceMutex;
  Trace trace;
  // Set while a trace is attached: without one, the per-report lines are not even formatted
  // (they would cost more than the transfer engine they serve).
  std::atomic<bool> tracing{false};

  std::mutex observerMutex;
  std::vector<std::pair<int, std::shared_ptr<std::function<void()>>>> observers;
  int nextObserver = 1;

  std::size_t ReportLengthLocked() const { return responder.Profile().device.reportLength; }

  // A restart ends by itself once its time is up; whoever looks next sees the device back.
  void RefreshLocked() {
    if (restartUntil && Clock::now() >= *restartUntil) restartUntil.reset();
  }
  bool AvailableLocked() {
    RefreshLocked();
    return plugged && !restartUntil;
  }
  void DropConnectionLocked() {
    openId = 0;
    replies.clear();
    endless.reset();
    replyReady.notify_all();
  }
  // Unplugged by a fault: stays away until plugged in again.
  void DropOffLocked() {
    faults.disconnectAfter.reset();
    plugged = false;
    restartUntil.reset();
    DropConnectionLocked();
  }
  // Returns the trace line.
  std::string RestartLocked();
  void QueueLocked(const dock::Report& report) {
    std::vector<std::uint8_t> bytes(ReportLengthLocked(), 0);
    std::copy_n(report.begin(), std::min(bytes.size(), report.size()), bytes.begin());
    replies.push_back(std::move(bytes));
    replyReady.notify_all();
  }

  void Emit(const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    std::lock_guard lock(traceMutex);
    if (!trace) return;
    for (const std::string& line : lines) trace(line);
  }

  void NotifyObservers() {
    std::vector<std::shared_ptr<std::function<void()>>> copy;
    {
      std::lock_guard lock(observerMutex);
      for (const auto& entry : observers) copy.push_back(entry.second);
    }
    for (const auto& fn : copy) (*fn)();
  }

  int Write(std::uint64_t id, const std::uint8_t* data, std::size_t length);
  int Read(std::uint64_t id, std::uint8_t* data, std::size_t capacity, int timeoutMs);
  void Close(std::uint64_t id);

  std::atomic<int> latencyUs{0};
};

namespace {

std::string Hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFFu);
  return text;
}

// Whether the reply fault hits this report; a counted fault is spent when it hits.
bool FaultHits(Faults& faults, std::uint16_t code) {
  if (faults.reply == ReplyFault::None) return false;
  if (!faults.replyFaultAfter) return !faults.replyFaultCode || *faults.replyFaultCode == code;
  if (*faults.replyFaultAfter > 1) {
    --*faults.replyFaultAfter;
    return false;
  }
  faults.replyFaultAfter.reset();
  faults.reply = ReplyFault::None;
  return true;
}

bool IsWaitedRequest(std::uint16_t code) {
  switch (code) {
    case dock::cmd::kLensUpdateStart: case dock::cmd::kDockUpdateStart: case dock::cmd::kSectorTable:
    case dock::cmd::kAfReadStart: case dock::cmd::kAfWriteStart: case dock::cmd::kCsReadStart:
    case dock::cmd::kCsWriteStart:
      return true;
    default:
      return false;
  }
}

// How often a device stuck in "still working" answers.
constexpr auto kEndlessPace = std::chrono::milliseconds(1);

class VirtualConnection final : public dock::HidConnection {
 public:
  VirtualConnection(std::shared_ptr<VirtualDevice::State> state, std::uint64_t id)
      : state_(std::move(state)), id_(id) {}
  ~VirtualConnection() override { state_->Close(id_); }
  VirtualConnection(const VirtualConnection&) = delete;
  VirtualConnection& operator=(const VirtualConnection&) = delete;

  int Write(const std::uint8_t* data, std::size_t length) override { return state_->Write(id_, data, length); }
  int Read(std::uint8_t* data, std::size_t capacity, int timeoutMs) override {
    return state_->Read(id_, data, capacity, timeoutMs);
  }

 private:
  std::shared_ptr<VirtualDevice::State> state_;
  std::uint64_t id_;
};

}  // namespace

int VirtualDevice::State::Write(std::uint64_t id, const std::uint8_t* data, std::size_t length) {
  // The time the report takes on the wire, outside the lock so that the device stays usable.
  if (const int us = latencyUs.load(); us > 0) std::this_thread::sleep_for(std::chrono::microseconds(us));
  std::vector<std::string> lines;
  bool changed = false;
  int result = static_cast<int>(length);
  {
    std::lock_guard lock(mutex);
    if (id != openId) return -1;
    if (length != ReportLengthLocked() || data == nullptr) {
      lines.push_back("-- refused a report of " + std::to_string(length) + " bytes");
      result = -1;
    } else {
      dock::Report request{};
      std::copy_n(data, std::min(length, request.size()), request.begin());
      const std::uint16_t code = dock::CodeOf(request);
      ++received;
      endless.reset();
      const bool describe = tracing.load(std::memory_order_relaxed);
      if (describe) lines.push_back("-> " + dock::DescribeReport(request));

      if (faults.disconnectAfter && --*faults.disconnectAfter == 0) {
        DropOffLocked();
        lines.push_back("-- unplugged (disconnect fault)");
        changed = true;
      } else {
        DeviceResponder::Outcome outcome = responder.Handle(request);
        if (!outcome.handled) lines.push_back("-- " + Hex4(code) + " is not handled: no reply");
        if (faults.stillWorking && IsWaitedRequest(code)) {
          const dock::Report working =
              dock::StatusReply{*dock::ResponseCodeFor(code), *faults.stillWorking}.Encode();
          endless.emplace(ReportLengthLocked(), 0);
          std::copy_n(working.begin(), std::min(endless->size(), working.size()), endless->begin());
          outcome.replies.clear();
          lines.push_back("-- still working for ever on " + Hex4(code));
        }
        const bool replyFault = FaultHits(faults, code);
        if (!outcome.replies.empty() && replyFault) {
          if (faults.reply == ReplyFault::Silent) {
            lines.push_back("-- silent: no reply to " + Hex4(code));
            outcome.replies.clear();
          } else {
            const std::uint16_t wrong =
                code == dock::cmd::kStatus ? dock::cmd::kProductCodeReply : dock::cmd::kStatusReply;
            for (dock::Report& reply : outcome.replies) dock::PutWord(reply, 1, wrong);
          }
        }
        for (const dock::Report& reply : outcome.replies) {
          QueueLocked(reply);
          if (describe) lines.push_back("<- " + dock::DescribeReport(reply));
        }
        changed = !outcome.replies.empty();
        if (outcome.restart) {
          lines.push_back(RestartLocked());
          changed = true;
        }
      }
    }
  }
  Emit(lines);
  if (changed) NotifyObservers();
  return result;
}

std::string VirtualDevice::State::RestartLocked() {
  const BehaviourProfile& b = responder.Profile().behaviour;
  restartUntil = Clock::now() + std::chrono::milliseconds(b.restartMs);
  if (b.productIdAfterRestart) productId = *b.productIdAfterRestart;
  DropConnectionLocked();
  return "-- restarting for " + std::to_string(b.restartMs) + " ms as " + Hex4(productId);
}

int VirtualDevice::State::Read(std::uint64_t id, std::uint8_t* data, std::size_t capacity, int timeoutMs) {
  std::unique_lock lock(mutex);
  if (endless && replies.empty()) {
    lock.unlock();
    std::this_thread::sleep_for(kEndlessPace);
    lock.lock();
  }
  const auto ready = [&] { return id != openId || !replies.empty() || endless; };
  if (timeoutMs < 0) {
    replyReady.wait(lock, ready);
  } else if (!replyReady.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
    return 0;
  }
  if (id != openId) return -1;
  std::vector<std::uint8_t> reply;
  if (replies.empty()) {
    reply = *endless;
  } else {
    reply = std::move(replies.front());
    replies.pop_front();
  }
  const std::size_t n = std::min(capacity, reply.size());
  if (data != nullptr) std::copy_n(reply.begin(), n, data);
  return static_cast<int>(n);
}

void VirtualDevice::State::Close(std::uint64_t id) {
  bool closed = false;
  {
    std::lock_guard lock(mutex);
    if (id == openId) {
      DropConnectionLocked();
      closed = true;
    }
  }
  if (closed) Emit({"-- host closed the device"});
}

VirtualDevice::VirtualDevice(DeviceProfile profile, bool plugged)
    : state_(std::make_shared<State>(std::move(profile), plugged)) {}

VirtualDevice::~VirtualDevice() {
  {
    std::lock_guard lock(state_->mutex);
    state_->plugged = false;
    state_->DropConnectionLocked();
  }
  // Observers belong to links that must have let go of the device already.
}

std::shared_ptr<dock::HidConnection> VirtualDevice::Open() {
  std::uint64_t id = 0;
  {
    std::lock_guard lock(state_->mutex);
    if (!state_->AvailableLocked() || state_->openId != 0) return nullptr;
    id = state_->openId = state_->nextId++;
    state_->replies.clear();
  }
  state_->Emit({"-- host opened the device"});
  return std::make_shared<VirtualConnection>(state_, id);
}

void VirtualDevice::Plug() {
  {
    std::lock_guard lock(state_->mutex);
    state_->plugged = true;
    state_->restartUntil.reset();
  }
  state_->Emit({"-- plugged in"});
  state_->NotifyObservers();
}

void VirtualDevice::Unplug() {
  {
    std::lock_guard lock(state_->mutex);
    state_->plugged = false;
    state_->restartUntil.reset();
    state_->DropConnectionLocked();
  }
  state_->Emit({"-- unplugged"});
  state_->NotifyObservers();
}

void VirtualDevice::Mount(AttachedProfile attached) {
  {
    std::lock_guard lock(state_->mutex);
    state_->responder.SetAttached(std::move(attached));
  }
  state_->Emit({"-- mounted"});
  state_->NotifyObservers();
}

void VirtualDevice::Unmount() {
  {
    std::lock_guard lock(state_->mutex);
    state_->responder.SetAttached(std::nullopt);
  }
  state_->Emit({"-- unmounted"});
  state_->NotifyObservers();
}

void VirtualDevice::Swap(DeviceProfile profile) {
  std::string id = profile.id;
  {
    std::lock_guard lock(state_->mutex);
    state_->DropConnectionLocked();
    state_->responder = DeviceResponder(std::move(profile));
    state_->responder.SetForcedStatus(state_->faults.forcedStatus);
    state_->responder.SetUnitStatusFault(state_->faults.unitStatus);
    state_->responder.SetFirmwareStatusFault(state_->faults.firmwareStatus);
    state_->productId = state_->responder.Profile().device.productId;
    state_->restartUntil.reset();
    state_->plugged = true;
  }
  state_->Emit({"-- swapped for " + id});
  state_->NotifyObservers();
}

void VirtualDevice::Restart() {
  std::string line;
  {
    std::lock_guard lock(state_->mutex);
    if (!state_->plugged) return;
    line = state_->RestartLocked();
  }
  state_->Emit({line});
  state_->NotifyObservers();
}

bool VirtualDevice::IsPlugged() const {
  std::lock_guard lock(state_->mutex);
  return state_->AvailableLocked();
}

bool VirtualDevice::IsOpen() const {
  std::lock_guard lock(state_->mutex);
  return state_->openId != 0;
}

std::optional<Clock::time_point> VirtualDevice::RestartDeadline() const {
  std::lock_guard lock(state_->mutex);
  state_->RefreshLocked();
  return state_->restartUntil;
}

DeviceProfile VirtualDevice::Profile() const {
  std::lock_guard lock(state_->mutex);
  return state_->responder.Profile();
}

std::string VirtualDevice::Id() const {
  std::lock_guard lock(state_->mutex);
  return state_->responder.Profile().id;
}

std::uint16_t VirtualDevice::VendorId() const {
  std::lock_guard lock(state_->mutex);
  return state_->responder.Profile().device.vendorId;
}

std::uint16_t VirtualDevice::ProductId() const {
  std::lock_guard lock(state_->mutex);
  return state_->productId;
}

std::size_t VirtualDevice::ReportLength() const {
  std::lock_guard lock(state_->mutex);
  return state_->ReportLengthLocked();
}

std::optional<AttachedProfile> VirtualDevice::Attached() const {
  std::lock_guard lock(state_->mutex);
  return state_->responder.Attached();
}

void VirtualDevice::SetFaults(const Faults& faults) {
  bool dropNow = false;
  {
    std::lock_guard lock(state_->mutex);
    state_->faults = faults;
    state_->responder.SetForcedStatus(faults.forcedStatus);
    state_->responder.SetUnitStatusFault(faults.unitStatus);
    state_->responder.SetFirmwareStatusFault(faults.firmwareStatus);
    if (faults.disconnectAfter == std::size_t{0}) {
      state_->DropOffLocked();
      dropNow = true;
    }
  }
  if (dropNow) {
    state_->Emit({"-- unplugged (disconnect fault)"});
    state_->NotifyObservers();
  }
}

Faults VirtualDevice::GetFaults() const {
  std::lock_guard lock(state_->mutex);
  return state_->faults;
}

bool VirtualDevice::SendReport(const dock::Report& report) {
  {
    std::lock_guard lock(state_->mutex);
    if (state_->openId == 0) return false;
    state_->QueueLocked(report);
  }
  state_->Emit({"<- " + dock::DescribeReport(report) + " (unasked)"});
  state_->NotifyObservers();
  return true;
}

SectorTableRecord VirtualDevice::SectorTable() const {
  std::lock_guard lock(state_->mutex);
  return state_->responder.SectorTable();
}

std::vector<dock::Report> VirtualDevice::UnhandledReports() const {
  std::lock_guard lock(state_->mutex);
  return state_->responder.UnhandledReports();
}

std::size_t VirtualDevice::ReportsReceived() const {
  std::lock_guard lock(state_->mutex);
  return state_->received;
}

std::vector<std::uint8_t> VirtualDevice::AfArea() const {
  std::lock_guard lock(state_->mutex);
  const auto& attached = state_->responder.Attached();
  return attached ? attached->afArea : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> VirtualDevice::CsArea() const {
  std::lock_guard lock(state_->mutex);
  const auto& attached = state_->responder.Attached();
  if (!attached) return {};
  return IsMlMount(attached->mountCode) ? attached->csArea : attached->afArea;
}

FirmwareRecord VirtualDevice::Firmware() const {
  std::lock_guard lock(state_->mutex);
  return state_->responder.Firmware();
}

void VirtualDevice::SetKeepFirmwareData(bool keep) {
  std::lock_guard lock(state_->mutex);
  state_->responder.SetKeepFirmwareData(keep);
}

void VirtualDevice::SetLatency(std::chrono::microseconds perReport) {
  state_->latencyUs = static_cast<int>(perReport.count());
}

void VirtualDevice::SetTrace(Trace trace) {
  std::lock_guard lock(state_->traceMutex);
  state_->tracing = static_cast<bool>(trace);
  state_->trace = std::move(trace);
}

int VirtualDevice::AddObserver(std::function<void()> onChange) {
  std::lock_guard lock(state_->observerMutex);
  const int id = state_->nextObserver++;
  state_->observers.emplace_back(id, std::make_shared<std::function<void()>>(std::move(onChange)));
  return id;
}

void VirtualDevice::RemoveObserver(int id) {
  std::lock_guard lock(state_->observerMutex);
  std::erase_if(state_->observers, [id](const auto& entry) { return entry.first == id; });
}

}  // namespace cbx::sim
