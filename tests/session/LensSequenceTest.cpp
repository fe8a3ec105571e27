// The attached-device sequence against virtual devices and the sample server: what the
// user is asked, what is transferred, and what is shown and kept afterwards.
#include "session/SessionFixture.h"

#include "lens/TransferHost.h"

namespace cbx::session {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr int kGoAhead = 22;
constexpr int kGoBack = 23;
const std::vector<std::string> kQuestions{"ask", "check", "transfer"};

std::string LensProductInfo(const std::string& replace, const std::string& by) {
  std::string text = test::ReadFile(kSource + "/demo/server/4A1/KV/0123/1.02.ini");
  const auto at = text.find(replace);
  if (at != std::string::npos) text.replace(at, replace.size(), by);
  return text;
}

class LensSequenceTest : public SessionControllerTest {};

TEST_F(LensSequenceTest, UpdateKeepsTheLensSettingsAndChecksAgain) {
  ui_.Answer(11, kResultYes);
  ui_.Answer(12, kGoAhead);
  const auto before = [&] {
    Plug("zoom-lens-dock");
    return device_->AfArea();
  };
  const std::vector<std::uint8_t> settings = before();
  RunUntilQuiet();
  // Read before the update (11), firmware (0), read back into its places (12); newest after.
  EXPECT_THAT(ui_.Shown(kQuestions), ElementsAre("check 102=1", "check 101=0", "ask 11", "ask 12", "transfer 11=0",
                                                 "transfer 0=0", "check 101=1", "transfer 12=0", "ask 2:3106"));
  EXPECT_EQ(device_->AfArea(), settings);
  EXPECT_TRUE(device_->Firmware().complete);
  EXPECT_EQ(state_.currentDevice.rawVersion, "1.03.0412.1");
  EXPECT_TRUE(controller_->IsCurrentDeviceShown());
  EXPECT_EQ(state_.lensHistory.IndexOf(state_.currentDevice), 0);
}

TEST_F(LensSequenceTest, BackInThePrecautionsReturnsToTheOfferEveryTime) {
  ui_.Answer(11, kResultYes);
  ui_.Answers(12, {kGoBack, kGoBack, kGoBack, kResultNo});
  PlugAndIdentify("zoom-lens-dock");
  EXPECT_THAT(ui_.Shown({"ask"}),
              ElementsAre("ask 11", "ask 12", "ask 11", "ask 12", "ask 11", "ask 12", "ask 11", "ask 12"));
  EXPECT_THAT(ui_.Shown({"transfer"}), Not(Contains(HasSubstr("transfer 0"))));
  // Declined: the device is shown with its customisation allowed.
  EXPECT_TRUE(controller_->IsCurrentDeviceShown());
}

TEST_F(LensSequenceTest, LensTakenOffDuringTheOfferStopsWithLostLensInfo) {
  Plug("zoom-lens-dock");
  ui_.OnAsk(11, [this] { device_->Unmount(); });
  RunUntilQuiet();
  EXPECT_THAT(ui_.Shown({"ask", "end"}), ElementsAre("ask 11", "end cancel"));
  EXPECT_THAT(LogText(), HasSubstr("ErrNo.208::Cannot Get Lens Info"));
  EXPECT_EQ(ui_.Shown({"screen"}).back(), "screen -1");
  EXPECT_TRUE(controller_->NoCurrentDevice());
  EXPECT_TRUE(dock_->IsPolling());
}

struct RecoveryCase {
  int answer;
  std::vector<std::string> asked;
  bool customAllowed;
};

class RecoveryStateTest : public LensSequenceTest, public ::testing::WithParamInterface<RecoveryCase> {};

TEST_P(RecoveryStateTest, AsksBeforeOfferingTheUpdate) {
  ui_.Answer(21, GetParam().answer);
  ui_.Answer(11, kResultNo);
  Plug("zoom-lens-dock");
  sim::Faults faults;
  faults.forcedStatus = dock::kStatusWorking;
  device_->SetFaults(faults);
  bool customAllowed = true;
  controller_->onLensOutcome = [&](LensVariant, const LensOutcome& o) { customAllowed = o.customAllowed; };
  RunUntilQuiet();
  EXPECT_THAT(ui_.Shown({"ask"}), ::testing::ElementsAreArray(GetParam().asked));
  EXPECT_EQ(customAllowed, GetParam().customAllowed);
  // Either way the lens is shown: it answered, and the server knows it.
  EXPECT_TRUE(controller_->IsCurrentDeviceShown());
}

INSTANTIATE_TEST_SUITE_P(Answers, RecoveryStateTest,
                         ::testing::Values(
                             // Yes: offered as if newer firmware existed; declining it still
                             // leaves a lens in recovery without customisation.
                             RecoveryCase{kResultYes, {"ask 21", "ask 11"}, false},
                             RecoveryCase{kResultNo, {"ask 21"}, false}));

TEST_F(LensSequenceTest, ResetFromTheFirmwareFileAfterTheUpdateWhenTheServerSaysSo) {
  server_->Replace("/4A1/KV/0123/1.02.ini", LensProductInfo("AfCsProtectReset=NO", "AfCsProtectReset=YES"));
  ui_.Answer(11, kResultYes);
  ui_.Answer(12, kGoAhead);
  PlugAndIdentify("zoom-lens-dock");
  // No read before the update, defaults from the firmware file after it, and no read by the
  // caller afterwards: the lens holds what was just written.
  EXPECT_THAT(ui_.Shown({"transfer"}), ElementsAre("transfer 0=0", "transfer 13=0"));
  EXPECT_THAT(ui_.Shown({"ask"}), Contains("ask 2:3106"));
}

TEST_F(LensSequenceTest, FailedCheckAfterTheUpdateForgetsTheDevice) {
  ui_.Answer(11, kResultYes);
  ui_.Answer(12, kGoAhead);
  ui_.AfterTransfer(lens::kTransferLensFirmware, [this] { server_->Remove("/4A1/KV/0123/1.03.ini"); });
  server_->Remove("/4A1/Image/lensImage.png");
  PlugAndIdentify("zoom-lens-dock");
  EXPECT_THAT(LogText(), HasSubstr("ErrNo.207::Cannot Check Lens Update"));
  EXPECT_THAT(ui_.Shown({"ask"}), Contains("ask 18"));
  EXPECT_EQ(state_.lensHistory.Size(), 0);
  EXPECT_TRUE(controller_->NoCurrentDevice());
  EXPECT_EQ(ui_.Shown({"screen"}).back(), "screen -1");
}

TEST_F(LensSequenceTest, FlashBusyRightAfterItsCheckIsNotShownAndNotUpdated) {
  ui_.AfterCheck(308, [this] {
    sim::Faults faults;
    faults.forcedStatus = dock::kStatusBusy;
    device_->SetFaults(faults);
  });
  Plug("flash-unit");
  bool customAllowed = true;
  controller_->onLensOutcome = [&](LensVariant, const LensOutcome& o) { customAllowed = o.customAllowed; };
  RunUntilQuiet();
  EXPECT_THAT(ui_.Shown({"ask", "check"}), ElementsAre("check 102=1", "check 309=2", "check 308=0", "ask 310"));
  EXPECT_FALSE(customAllowed);
  EXPECT_EQ(state_.currentDevice.controllerValue, 0);
  EXPECT_TRUE(state_.shownDevice.serialNumber.empty());
}

TEST_F(LensSequenceTest, CineLensIsNeverOfferedCustomisation) {
  Plug("cine-lens");
  bool customAllowed = true;
  controller_->onLensOutcome = [&](LensVariant, const LensOutcome& o) { customAllowed = o.customAllowed; };
  RunUntilQuiet();
  EXPECT_EQ(state_.currentDevice.deviceCategory, 3);
  EXPECT_FALSE(customAllowed);
}

TEST_F(LensSequenceTest, ButtonRunShowsTheNewestVersionThatTheAutomaticRunKeepsQuiet) {
  PlugAndIdentify("ml-mount-lens");
  EXPECT_THAT(ui_.Shown({"ask"}), Not(Contains(HasSubstr("ask 50"))));
  const auto refresh = controller_->OnHomeUpdateButton(0);
  EXPECT_THAT(ui_.Shown({"ask"}), Contains("ask 50:" + update::GetDisplayVersion(state_.currentDevice)));
  EXPECT_TRUE(refresh.refresh);
  EXPECT_TRUE(refresh.customAllowed);
}

TEST_F(LensSequenceTest, ButtonRunUpdatesWithTheSettingsReadAtIdentification) {
  ui_.Answer(11, kResultNo);
  PlugAndIdentify("zoom-lens-dock");
  const std::vector<std::uint8_t> settings = device_->AfArea();
  ui_.Forget();
  ui_.Answer(11, kResultYes);
  ui_.Answer(12, kGoAhead);
  const auto refresh = controller_->OnHomeUpdateButton(0);
  // No read before the update: the automatic run's caller read the settings already.
  EXPECT_THAT(ui_.Shown({"transfer", "ask 2"}), ElementsAre("transfer 0=0", "transfer 12=0", "ask 2:3106"));
  EXPECT_EQ(device_->AfArea(), settings);
  EXPECT_TRUE(refresh.refresh);
  EXPECT_TRUE(refresh.customAllowed);
}

TEST_F(LensSequenceTest, ConverterUpdateRestartsItAndChecksItAgain) {
  ui_.Answer(201, kResultYes);
  ui_.Answer(204, kGoAhead);
  Plug("mount-converter");
  RunUntilQuiet(std::chrono::milliseconds(3000));
  EXPECT_THAT(ui_.Shown({"transfer"}), Contains("transfer 14=0"));
  EXPECT_FALSE(state_.restartPending);
  // Back from the restart: identified again, checked, and told that it is up to date.
  EXPECT_THAT(ui_.Shown({"check", "ask"}), Contains("ask 2:3202"));
  EXPECT_EQ(ui_.Shown({"screen"}).back(), "screen 9");
}

}  // namespace
}  // namespace cbx::session
