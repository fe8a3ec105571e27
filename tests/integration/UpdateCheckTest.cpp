// The update-check workers against a real loopback HTTP server serving demo/server and
// virtual devices from demo/devices.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <mutex>

#include "app/Folders.h"
#include "app/Log.h"
#include "dock/DeviceIdentity.h"
#include "sim/DeviceProfile.h"
#include "sim/SimBackend.h"
#include "support/LoopbackServer.h"
#include "support/SilentSessionUi.h"
#include "support/TempDir.h"
#include "update/UpdateCheck.h"
#include "update/UpdatePaths.h"

namespace cbx::update {
namespace {

using test::ReadFile;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kSource = CALIBRIX_SOURCE_DIR;

class ScriptedUi : public test::SilentSessionUi {
 public:
  void HideUpdateCheckWindow() override { hidden_ = true; }
  void Answer(int kind, int result) {
    std::lock_guard lock(mutex_);
    answers_[kind] = result;
  }
  std::atomic<bool> hidden_{false};

 protected:
  int Reply(int kind, const std::string&) override {
    std::lock_guard lock(mutex_);
    const auto it = answers_.find(kind);
    return it == answers_.end() ? kResultClosed : it->second;
  }

 private:
  std::mutex mutex_;
  std::map<int, int> answers_;
};

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<test::LoopbackServer>(kSource + "/demo/server");
    state_.serverUrlOverride = server_->BaseUrl();
    Log::Instance().Configure(true, dir_ / "CBXLog.txt");
  }
  void TearDown() override { Log::Instance().Configure(false, ""); }

  // Plugs in a virtual device and identifies it as the device session does.
  void Connect(const std::string& profile, std::optional<std::uint8_t> forcedStatus = std::nullopt) {
    device_ = std::make_shared<sim::VirtualDevice>(sim::LoadProfile(kSource + "/demo/devices/" + profile + ".json"));
    if (forcedStatus) {
      sim::Faults faults;
      faults.forcedStatus = forcedStatus;
      device_->SetFaults(faults);
    }
    dock_ = std::make_unique<dock::DockDevice>(std::make_shared<sim::SimBackend>(
        std::vector<std::shared_ptr<sim::VirtualDevice>>{device_}));
    const std::pair<std::uint16_t, dock::DeviceKind> kinds[] = {
        {dock::kProductLensDock, dock::DeviceKind::LensDock},
        {dock::kProductFlash, dock::DeviceKind::Flash},
        {dock::kProductMountConverter, dock::DeviceKind::MountConverter}};
    for (const auto& [pid, kind] : kinds) {
      bool r = false, w = false;
      if (dock_->FindDevice(pid, r, w)) {
        dock_->SetDeviceKind(kind);
        break;
      }
    }
    ASSERT_TRUE(dock_->IsReady());
    dock::DeviceIdentity id;
    ASSERT_TRUE(dock::ReadIdentity(*dock_, id).ok);
    state_.dock.dockRawVersion = id.dockRawVersion;
    state_.dock.dockId = id.dockId;
    state_.dock.dockFormatMarker = id.dockFormatMarker;
    state_.dock.dockVersionUnreadable = id.dockVersion == 0xFFFF00 ? 1 : 0;
    state_.dockMountCode = id.dockMountCode;
    state_.converterMountCode = id.converterMountCode;
    CLensUpdateInfoData& record = state_.currentDevice;
    record.Clear();
    if (id.attached) {
      record.rawVersion = id.attached->rawVersion;
      record.serialNumber = id.attached->serialNumber;
      record.productCodeText = id.attached->productCodeText;
      record.mountCode = id.attached->mountCode;
      record.formatMarker = id.attached->formatMarker;
      state_.converterAttached = id.attached->throughConverter;
      record.deviceCategory = id.attached->throughConverter         ? 1
                              : id.deviceKind == dock::DeviceKind::Flash ? 2
                              : record.productCodeText.rfind('C', 0) == 0 ? 3
                                                                           : 0;
      state_.lensVersionUnreadable = record.rawVersion == GetVersionMask(record);
    }
  }

  int Run(int kind) {
    UpdateChecker checker(state_, *dock_, ui_, LensDatabase(), "2.0.0");
    checker.SetNothingCheckDelayMs(50);
    return checker.Run(kind);
  }

  std::string LensDatabase() const { return dir_ / "LensDatabase"; }
  std::string LogText() const { return ReadFile(dir_ / "CBXLog.txt"); }

  test::TempDir dir_;
  std::unique_ptr<test::LoopbackServer> server_;
  AppState state_;
  ScriptedUi ui_;
  std::shared_ptr<sim::VirtualDevice> device_;
  std::unique_ptr<dock::DockDevice> dock_;
};

struct ShippedCase {
  const char* profile;
  int kind;
  int result;
};

void PrintTo(const ShippedCase& c, std::ostream* os) { *os << c.profile << " kind " << c.kind; }

class ShippedTreeTest : public UpdateCheckTest, public ::testing::WithParamInterface<ShippedCase> {};

TEST_P(ShippedTreeTest, GivesTheDocumentedResultWithoutErrors) {
  const ShippedCase& c = GetParam();
  Connect(c.profile);
  EXPECT_EQ(Run(c.kind), c.result);
  EXPECT_EQ(LogText(), "");
  EXPECT_TRUE(ui_.Asked().empty());
  EXPECT_FALSE(server_->AuthorizationMissing()) << "every request carries the credentials";
  EXPECT_TRUE(state_.downloadEnabled);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, ShippedTreeTest,
    ::testing::Values(ShippedCase{"zoom-lens-dock", kCheckDock, kCheckNewest},
                      ShippedCase{"zoom-lens-dock", kCheckLens, kCheckNewer},
                      ShippedCase{"teleconverter-prime", kCheckLens, kCheckNotPermitted},
                      ShippedCase{"ml-mount-lens", kCheckLens, kCheckNewest},
                      ShippedCase{"ml-mount-lens", kCheckDock, kCheckNewest},
                      ShippedCase{"cine-lens", kCheckDock, kCheckNewer},
                      ShippedCase{"cine-lens", kCheckLens, kCheckDockTooOld},
                      ShippedCase{"mount-converter", kCheckAdapter, kCheckNewer},
                      ShippedCase{"mount-converter", kCheckConverterLens, kCheckNewer},
                      ShippedCase{"flash-unit", kCheckFlashDock, kCheckNewest},
                      ShippedCase{"flash-unit", kCheckFlash, kCheckNewer},
                      ShippedCase{"unreadable-version-dock", kCheckDock, kCheckNewer},
                      ShippedCase{"unreadable-version-dock", kCheckLens, kCheckDockTooOld},
                      ShippedCase{"recovery-lens", kCheckLens, kCheckNoInformation}),
    [](const auto& p) {
      std::string name = std::string(p.param.profile) + "_kind" + std::to_string(p.param.kind);
      for (char& ch : name) {
        if (ch == '-') ch = '_';
      }
      return name;
    });

TEST_F(UpdateCheckTest, LensCheckMirrorsEverythingAndTheFirmwareLandsInItsVersionFolder) {
  Connect("zoom-lens-dock");
  ASSERT_EQ(Run(kCheckLens), kCheckNewer);
  const CLensUpdateInfoData& record = state_.currentDevice;
  const std::string product = LocalProductFolder(LensDatabase(), "4A1", "KV", "0123");
  EXPECT_EQ(record.productInfoPath, JoinPath(product, "1.02.ini"));
  EXPECT_EQ(record.fwLocalPath, JoinPath(LocalFirmwareFolder(LensDatabase(), "4A1", "KV", "0123", record.Fwversion),
                                         record.FWFileName));
  EXPECT_EQ(ReadFile(record.fwLocalPath),
            ReadFile(kSource + "/demo/server/4A1/KV/0123/" + record.Fwpath + "/" + record.FWFileName));
  EXPECT_TRUE(std::filesystem::exists(record.docLocalPath));
  EXPECT_GT(record.lensImageSize, 0);
  EXPECT_GT(record.focusFcImageSize, 0);
  EXPECT_GT(record.focusFlImageSize, 0);
  EXPECT_FALSE(record.btnAfSpeedText1.empty()) << "message texts were read";
  EXPECT_FALSE(record.productName.empty());
  // Nothing is left under a temporary name.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(LensDatabase())) {
    EXPECT_NE(entry.path().extension(), ".part") << entry.path();
  }
}

TEST_F(UpdateCheckTest, MissingProductFileMeansNoInformationWithoutALogEntry) {
  Connect("zoom-lens-dock");
  server_->Remove("/4A1/KV/0123/1.02.ini");
  EXPECT_EQ(Run(kCheckLens), kCheckNoInformation);
  EXPECT_EQ(LogText(), "");
  EXPECT_TRUE(ui_.Asked().empty());
}

TEST_F(UpdateCheckTest, MissingPictureFailsTheCheckWithALogEntry) {
  Connect("zoom-lens-dock");
  server_->Remove("/4A1/Image/lensImage.png");
  EXPECT_EQ(Run(kCheckLens), kCheckFailed);
  EXPECT_THAT(LogText(), HasSubstr("Func::LensFWUpdateCheckThread\nErrNo.410::Failed to Download:\""));
}

TEST_F(UpdateCheckTest, RefusedConnectionAsksToRetryAndFailsWhenTheUserGivesUp) {
  Connect("zoom-lens-dock");
  const std::string base = server_->BaseUrl();
  server_.reset();  // nothing listens there any more; the virtual dock still answers
  // "Try again" once, then give up.
  class RetryOnce : public ScriptedUi {
   public:
    int AskMessage(int kind, const std::string& text) override {
      ScriptedUi::AskMessage(kind, text);
      return ++questions_ == 1 ? kResultAcknowledged : kResultClosed;
    }
    int questions_ = 0;
  } ui;
  UpdateChecker checker(state_, *dock_, ui, LensDatabase(), "2.0.0");
  EXPECT_EQ(checker.Run(kCheckLens), kCheckFailed);
  EXPECT_EQ(ui.Asked(), (std::vector<int>{kMessageRetryDownload, kMessageRetryDownload}));
  EXPECT_FALSE(state_.downloadEnabled);
  EXPECT_THAT(LogText(), HasSubstr("Func::LensFWUpdateCheckThread\nErrNo.410::Failed to Download:\"" + base +
                                   "4A1/KV/0123/1.02.ini\""));
}

TEST_F(UpdateCheckTest, GivingUpOnAKnownDeviceOffersToCarryOnWithoutTheServer) {
  Connect("zoom-lens-dock");
  state_.lensHistory.AddOrReplace(state_.currentDevice);
  server_.reset();
  ui_.Answer(kMessageKnownDeviceOffline, kResultAcknowledged);
  EXPECT_EQ(Run(kCheckLens), kCheckFailed);
  EXPECT_EQ(ui_.Asked(), (std::vector<int>{kMessageRetryDownload, kMessageKnownDeviceOffline}));
  EXPECT_TRUE(ui_.hidden_);
}

TEST_F(UpdateCheckTest, RetryStopsWhenTheDeviceIsGone) {
  Connect("zoom-lens-dock");
  server_.reset();
  class UnplugOnQuestion : public ScriptedUi {
   public:
    explicit UnplugOnQuestion(sim::VirtualDevice& device) : device_(device) {}
    int AskMessage(int kind, const std::string& text) override {
      device_.Unplug();  // the user pulls the cable while the question is shown
      ScriptedUi::AskMessage(kind, text);
      return kResultYes;
    }
    sim::VirtualDevice& device_;
  } ui(*device_);
  UpdateChecker checker(state_, *dock_, ui, LensDatabase(), "2.0.0");
  EXPECT_EQ(checker.Run(kCheckLens), kCheckFailed);
  EXPECT_EQ(ui.Asked().size(), 1u);
}

TEST_F(UpdateCheckTest, RecoveringFlashIsLookedUpByItsGenericFile) {
  Connect("flash-unit", std::uint8_t{0xCC});
  dock_->StartPolling();
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (dock_->lastStatus() != 0xCC && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  dock_->StopPolling();
  server_->Remove("/F31/KV/0110/1.01.ini");
  EXPECT_EQ(Run(kCheckFlash), kCheckNewer);
  EXPECT_TRUE(state_.lensVersionUnreadable);
  EXPECT_THAT(server_->Requests(), Contains("/F31/KV/0110/updateInfo.ini"));
  EXPECT_EQ(LogText(), "");
}

TEST_F(UpdateCheckTest, MlMountLensNeedsNoFocusPictures) {
  Connect("ml-mount-lens");
  ASSERT_EQ(Run(kCheckLens), kCheckNewest);
  EXPECT_THAT(server_->Requests(), Not(Contains("/B15/Image/focusPosition_FC.png")));
  EXPECT_EQ(state_.currentDevice.focusFlImageSize, 0);
}

TEST_F(UpdateCheckTest, ServerValuesThatWouldLeaveTheMirrorAreRefused) {
  for (const char* bad : {"../../../escaped.bin", "/tmp/escaped.bin", ".."}) {
    Connect("zoom-lens-dock");
    std::string file = ReadFile(kSource + "/demo/server/4A1/KV/0123/1.02.ini");
    const auto at = file.find("FWFileName=");
    ASSERT_NE(at, std::string::npos);
    file.replace(at, file.find('\n', at) - at, std::string("FWFileName=") + bad);
    server_->Replace("/4A1/KV/0123/1.02.ini", file);
    EXPECT_EQ(Run(kCheckLens), kCheckNoInformation) << bad;
    EXPECT_THAT(LogText(), HasSubstr(std::string("ErrNo.438::Data Out of Range:\"") + bad + "\""));
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "escaped.bin"));
}

TEST_F(UpdateCheckTest, ProgramUpdateAndTheEmptyCheck) {
  Connect("empty-dock");
  UpdateChecker checker(state_, *dock_, ui_, LensDatabase(), "2.0.0");
  EXPECT_TRUE(checker.CheckProgramUpdate());
  UpdateChecker newer(state_, *dock_, ui_, LensDatabase(), "2.1.0");
  EXPECT_FALSE(newer.CheckProgramUpdate());
  server_->Remove("/Win/updateInfo.ini");
  EXPECT_FALSE(checker.CheckProgramUpdate());
  checker.SetNothingCheckDelayMs(10);
  EXPECT_EQ(checker.Run(kCheckNothing), kCheckFailed);
  EXPECT_EQ(LogText(), "");
}

}  // namespace
}  // namespace cbx::update
