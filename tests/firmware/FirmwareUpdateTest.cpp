// The controller's firmware operations: which worker runs, when none may, and what the
// user and the log are told afterwards.
#include <gmock/gmock.h>

#include <mutex>

#include "FirmwareFixture.h"
#include "firmware/FirmwareUpdate.h"
#include "support/SilentSessionUi.h"

namespace cbx::firmware::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

// Records the kinds asked and acknowledges every message.
class RecordingUi : public ::cbx::test::SilentSessionUi {
 protected:
  int Reply(int, const std::string&) override { return kResultAcknowledged; }
};

// Passes everything to the virtual devices except writes of one command code.
class RefusingBackend : public dock::HidBackend {
 public:
  RefusingBackend(std::shared_ptr<dock::HidBackend> inner, std::uint16_t refused)
      : inner_(std::move(inner)), refused_(refused) {}
  std::optional<dock::HidInterface> FindAndOpen(std::uint16_t vendorId, std::uint16_t productId) override {
    auto found = inner_->FindAndOpen(vendorId, productId);
    if (found && found->connection) found->connection = std::make_shared<Connection>(found->connection, refused_);
    return found;
  }
  std::string Describe() const override { return inner_->Describe(); }

 private:
  class Connection : public dock::HidConnection {
   public:
    Connection(std::shared_ptr<dock::HidConnection> inner, std::uint16_t refused)
        : inner_(std::move(inner)), refused_(refused) {}
    int Write(const std::uint8_t* data, std::size_t length) override {
      if (length > 2 && (data[1] | data[2] << 8) == refused_) return -1;
      return inner_->Write(data, length);
    }
    int Read(std::uint8_t* data, std::size_t capacity, int timeoutMs) override {
      return inner_->Read(data, capacity, timeoutMs);
    }

   private:
    std::shared_ptr<dock::HidConnection> inner_;
    std::uint16_t refused_;
  };
  std::shared_ptr<dock::HidBackend> inner_;
  std::uint16_t refused_;
};

class FirmwareUpdateTest : public FirmwareTest {
 protected:
  // The lens's update state as the controller leaves it before an update: the status poll
  // has seen the lens.
  void ConnectLens(int type, int transferMethod) {
    Connect(type);
    Prepare(type, Pattern(10 * UnitBytes(type)), Map({0}, {0}, {10}));
    state_.currentDevice = lens_;
    state_.currentDevice.transferMethod = transferMethod;
    dock_->StartPolling();
    ASSERT_TRUE(Eventually([&] { return dock_->lastStatus() == dock::kStatusDone; }));
  }
  void ConnectDock(int type) {
    Connect(type);
    Prepare(type, Pattern(10 * UnitBytes(type)), Map({0}, {0}, {10}));
    state_.dock = dockInfo_;
  }
  FirmwareUpdater Updater() { return {*dock_, state_, ui_, host_, progress_, kQuickReconnect}; }

  AppState state_;
  RecordingUi ui_;
  lens::TransferHost host_;
};

TEST_F(FirmwareUpdateTest, LensTransferMethodChoosesTheVariant) {
  const struct {
    int method;
    int type;
    sim::FirmwareVariant variant;
  } cases[] = {{0, lens::kTransferLensFirmware, sim::FirmwareVariant::Lens32},
               {1, lens::kTransferLensFirmwareSectors, sim::FirmwareVariant::LensPackets},
               {2, lens::kTransferLensFirmware256, sim::FirmwareVariant::Lens256},
               {3, lens::kTransferLensFirmware, sim::FirmwareVariant::Lens32}};
  for (const auto& c : cases) {
    SCOPED_TRACE("transferMethod " + std::to_string(c.method));
    ConnectLens(c.type, c.method);
    FirmwareUpdater u = Updater();
    EXPECT_TRUE(LensFWUpdate(u)) << LogText();
    EXPECT_EQ(device_->Firmware().variant, c.variant);
    EXPECT_TRUE(device_->Firmware().complete);
    // The lens restarts now; the caller waits for it before polling again.
    EXPECT_FALSE(dock_->IsPolling());
    EXPECT_EQ(state_.currentDevice.rawVersion, "1.3.0");
  }
}

TEST_F(FirmwareUpdateTest, LensWithoutAUsableStatusIsNotUpdated) {
  Connect(lens::kTransferLensFirmware);
  Prepare(lens::kTransferLensFirmware, Pattern(320), Map({0}, {0}, {10}));
  state_.currentDevice = lens_;
  FirmwareUpdater u = Updater();
  bool notBusy = true;
  // Nothing polled yet: the recorded status is 0.
  EXPECT_FALSE(LensFWUpdate(u));
  EXPECT_FALSE(FlashFWUpdate(u, notBusy));
  EXPECT_TRUE(notBusy);
  EXPECT_EQ(device_->ReportsReceived(), 0u);
}

TEST_F(FirmwareUpdateTest, BusyFlashUnitIsNotUpdated) {
  Connect(lens::kTransferLensFirmware);
  Prepare(lens::kTransferLensFirmware, Pattern(320), Map({0}, {0}, {10}));
  state_.currentDevice = lens_;
  sim::Faults faults;
  faults.forcedStatus = dock::kStatusBusy;
  device_->SetFaults(faults);
  dock_->StartPolling();
  ASSERT_TRUE(Eventually([&] { return dock_->lastStatus() == dock::kStatusBusy; }));
  FirmwareUpdater u = Updater();
  bool notBusy = true;
  EXPECT_FALSE(FlashFWUpdate(u, notBusy));
  EXPECT_FALSE(notBusy);
  EXPECT_EQ(device_->Firmware().variant, sim::FirmwareVariant::None);
  dock_->StopPolling();
}

TEST_F(FirmwareUpdateTest, LensFailuresAreReportedByResult) {
  const struct {
    int method;
    bool missingFile;
    std::string report;  // empty: no report of function 20
  } cases[] = {{0, false, Err(20, 31)}, {0, true, Err(20, 24)}, {2, false, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE("transferMethod " + std::to_string(c.method));
    ConnectLens(c.method == 2 ? lens::kTransferLensFirmware256 : lens::kTransferLensFirmware, c.method);
    if (c.missingFile) state_.currentDevice.fwLocalPath = dir_ / "absent.bin";
    sim::Faults faults;
    faults.firmwareStatus = sim::UnitStatusFault{2, 0x00};
    device_->SetFaults(faults);
    Log::Instance().Configure(true, dir_ / ("log" + std::to_string(c.method) + std::to_string(c.missingFile)));
    FirmwareUpdater u = Updater();
    EXPECT_FALSE(LensFWUpdate(u));
    std::ifstream in(Log::Instance().LogFilePath());
    const std::string log{std::istreambuf_iterator<char>(in), {}};
    if (c.report.empty()) {
      EXPECT_THAT(log, Not(HasSubstr("ErrNo.20")));
    } else {
      EXPECT_THAT(log, HasSubstr(c.report));
    }
    EXPECT_THAT(ui_.Asked(), IsEmpty());
  }
}

TEST_F(FirmwareUpdateTest, DockAndConverterFailuresShowTheirMessage) {
  const struct {
    int type;
    bool (*operation)(FirmwareUpdater&);
    int message;
  } cases[] = {{lens::kTransferDockFirmware, &DockFWUpdate, kMessageDockUpdateFailed},
               {lens::kTransferConverterFirmware, &ConverterFWUpdate, kMessageConverterUpdateFailed}};
  for (const auto& c : cases) {
    ConnectDock(c.type);
    sim::Faults faults;
    faults.firmwareStatus = sim::UnitStatusFault{4, 0x00};
    device_->SetFaults(faults);
    FirmwareUpdater u = Updater();
    EXPECT_FALSE(c.operation(u));
    EXPECT_EQ(ui_.Asked().back(), c.message);
    EXPECT_FALSE(state_.restartPending);
  }
  EXPECT_THAT(LogText(), HasSubstr(Err(10, 25)));
}

TEST_F(FirmwareUpdateTest, DockUpdateRestartsTheDock) {
  ConnectDock(lens::kTransferDockFirmware);
  FirmwareUpdater u = Updater();
  EXPECT_TRUE(DockFWUpdate(u)) << LogText();
  EXPECT_TRUE(state_.restartPending);
  EXPECT_EQ(state_.dock.dockRawVersion, "2.0.0");
  EXPECT_TRUE(device_->RestartDeadline().has_value() || device_->Profile().device.version == kNewVersion);
  EXPECT_THAT(ui_.Asked(), IsEmpty());
}

TEST_F(FirmwareUpdateTest, UnwrittenEndCommandLeavesNoRestartPending) {
  wrap_ = [](std::shared_ptr<dock::HidBackend> inner) -> std::shared_ptr<dock::HidBackend> {
    return std::make_shared<RefusingBackend>(std::move(inner), dock::cmd::kDockUpdateEnd);
  };
  ConnectDock(lens::kTransferDockFirmware);
  FirmwareUpdater u = Updater();
  EXPECT_FALSE(DockFWUpdate(u));
  EXPECT_FALSE(state_.restartPending);
  EXPECT_TRUE(device_->Firmware().complete);
  EXPECT_THAT(LogText(), HasSubstr(Err(11, 26)));
  EXPECT_THAT(LogText(), HasSubstr(": 50b"));
  EXPECT_THAT(ui_.Asked(), ElementsAre(kMessageDockUpdateFailed));
}

TEST_F(FirmwareUpdateTest, ConverterThatStaysAwayStillSucceeds) {
  Connect(lens::kTransferConverterFirmware, 0x1234);
  Prepare(lens::kTransferConverterFirmware, Pattern(10 * 256), Map({0}, {0}, {10}));
  state_.dock = dockInfo_;
  FirmwareUpdater u = Updater();
  EXPECT_TRUE(ConverterFWUpdate(u)) << LogText();
  EXPECT_FALSE(dock_->IsReady());
  EXPECT_TRUE(state_.restartPending);
}

}  // namespace
}  // namespace cbx::firmware::test
