// calibrix-cli check and update: the device session in a terminal, against virtual devices
// and a loopback server serving the sample server tree.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "RunCli.h"
#include "support/LoopbackServer.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"

namespace cbx {
namespace {

namespace fs = std::filesystem;
using test::RunCli;

const std::string kSource = CALIBRIX_SOURCE_DIR;

class CliSession : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string data = dir_ / "share/ORVANE/ORVANE Calibrix";
    fs::create_directories(data);
    std::ofstream(data + "/CBXConfig.ini") << "[CBX Config]\nURL=" << server_.BaseUrl() << "\nLOG=1\n";
  }
  std::string Env() const {
    return "env XDG_DATA_HOME=" + test::ShellQuote(dir_ / "share") +
           " XDG_DOWNLOAD_DIR=" + test::ShellQuote(dir_ / "downloads");
  }

  // A simulator serving one profile (a name or a file) on a free loopback port.
  void StartSimulator(const std::string& profile) {
    sim_ = std::make_unique<test::Subprocess>(
        std::vector<std::string>{CALIBRIX_DOCK_SIM, "--profile", profile, "--listen", "127.0.0.1:0"});
    const std::string line = sim_->ReadLine();
    const std::string prefix = "listening on ";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    device_ = "vhid:" + line.substr(prefix.size());
  }
  std::string Memory(const char* area) {
    sim_->Send(std::string("memory ") + area);
    return sim_->ReadLine();
  }
  // The JSON lines an update printed.
  static std::vector<nlohmann::json> Lines(const std::string& out) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
  }
  static std::vector<int> AttachedChecks(const std::vector<nlohmann::json>& lines) {
    std::vector<int> results;
    for (const auto& l : lines) {
      if (l["event"] == "check" && l["device"] == "attached") results.push_back(l["result"]);
    }
    return results;
  }
  nlohmann::json Settings(const std::string& productInfo) {
    const auto r = RunCli(Env(), {"settings", "dump", "--json", "--device", device_, "--product-info", productInfo});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    return r.exitCode == 0 ? nlohmann::json::parse(r.out) : nlohmann::json();
  }

  test::TempDir dir_;
  test::LoopbackServer server_{kSource + "/demo/server"};
  std::unique_ptr<test::Subprocess> sim_;
  std::string device_;
};

struct CheckCase {
  const char* profile;
  int usbCheck;
  int attachedCheck;  // -1: nothing attached
  const char* attachedCode;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.profile; }

class CliCheck : public CliSession, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CliCheck, ReportsWhatTheServerSaidForEachDevice) {
  const CheckCase& c = GetParam();
  const auto r = RunCli(Env(), {"check", "--json", "--device", std::string("sim:") + c.profile});
  ASSERT_EQ(r.exitCode, 0) << r.out;
  const auto out = nlohmann::json::parse(r.out);
  EXPECT_EQ(out["usbDevice"]["check"], c.usbCheck);
  if (c.attachedCheck < 0) {
    EXPECT_TRUE(out["attached"].is_null());
  } else {
    EXPECT_EQ(out["attached"]["check"], c.attachedCheck);
    EXPECT_EQ(out["attached"]["record"]["productCodeText"], c.attachedCode);
  }
}

INSTANTIATE_TEST_SUITE_P(Profiles, CliCheck,
                         ::testing::Values(CheckCase{"empty-dock", 1, -1, ""},
                                           CheckCase{"zoom-lens-dock", 1, 0, "4A1"},
                                           CheckCase{"mount-converter", 0, 0, "89S"},
                                           CheckCase{"flash-unit", 1, 0, "F31"}),
                         [](const auto& test) {
                           std::string name = test.param.profile;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

TEST_F(CliSession, CheckWithoutADeviceExitsThree) {
  StartSimulator("zoom-lens-dock");
  sim_->Send("unplug");
  ASSERT_EQ(sim_->ReadLine(), "ok");
  EXPECT_EQ(RunCli(Env(), {"check", "--device", device_, "--wait", "1"}).exitCode, 3);
}

TEST_F(CliSession, WatchFollowsTheDeviceUntilInterrupted) {
  StartSimulator("zoom-lens-dock");
  setenv("XDG_DATA_HOME", (dir_ / "share").c_str(), 1);
  setenv("XDG_DOWNLOAD_DIR", (dir_ / "downloads").c_str(), 1);
  test::Subprocess watch({CALIBRIX_CLI, "watch", "--json", "--device", device_});
  // Reads event lines until one matches; false when none comes in time.
  const auto awaitLine = [&](const std::function<bool(const nlohmann::json&)>& wanted) {
    for (std::string line = watch.ReadLine(); !line.empty(); line = watch.ReadLine()) {
      if (wanted(nlohmann::json::parse(line))) return true;
    }
    return false;
  };
  EXPECT_TRUE(awaitLine([](const auto& e) { return e["event"] == "check" && e["device"] == "attached"; }));
  // Nobody at the terminal: the offer is declined and the lens is shown.
  EXPECT_TRUE(awaitLine([](const auto& e) { return e["event"] == "screen" && e["screen"] == 0; }));
  sim_->Send("unplug");
  EXPECT_TRUE(awaitLine([](const auto& e) { return e["event"] == "lamp" && e["on"] == false; }));
  sim_->Send("plug");
  EXPECT_TRUE(awaitLine([](const auto& e) { return e["event"] == "device" && e["message"] == "dock-opened"; }));
  watch.Signal(SIGINT);
  ASSERT_TRUE(watch.WaitExit(std::chrono::seconds(10)));
  EXPECT_EQ(watch.exitCode(), 0);
}

TEST_F(CliSession, UpdateOfTheAttachedLensKeepsItsSettingsInPlace) {
  StartSimulator("zoom-lens-dock");
  const std::string before = Memory("af");
  ASSERT_GT(before.size(), 3u);

  // Aimed at the USB device only: the lens's offer is declined and nothing is written.
  const auto declined = RunCli(Env(), {"update", "--yes", "--target", "dock", "--json", "--device", device_});
  EXPECT_EQ(declined.exitCode, 1);
  EXPECT_EQ(Memory("af"), before);

  const auto r = RunCli(Env(), {"update", "--yes", "--target", "attached", "--json", "--device", device_});
  ASSERT_EQ(r.exitCode, 0) << r.out;
  // Newer before, newest after the firmware went in.
  EXPECT_THAT(AttachedChecks(Lines(r.out)), ::testing::ElementsAre(0, 1));
  EXPECT_EQ(Memory("af"), before);
  // The history written at the end knows the lens with its new version.
  const auto history = RunCli(Env(), {"history", "list", "--json"});
  ASSERT_EQ(history.exitCode, 0);
  EXPECT_EQ(nlohmann::json::parse(history.out)[0]["rawVersion"], "1.03.0412.1");
}

TEST_F(CliSession, UpdateOfAnMlMountLensMovesTheWriteCounterOnByOne) {
  // Newer firmware for the ml-mount lens (1.16 against its 1.01), and a lens that reports it
  // once it has taken the image.
  std::string info = test::ReadFile(kSource + "/demo/server/B15/TL/0290/1.00.ini");
  info.replace(info.find("Fwversion=1.06.0000.1"), 21, "Fwversion=1.16.0000.1");
  server_.Replace("/B15/TL/0290/1.00.ini", info);
  server_.Replace("/B15/TL/0290/1.10.ini", info);
  const std::string infoFile = dir_.Write("B15.ini", info);
  auto profile = nlohmann::json::parse(test::ReadFile(kSource + "/demo/devices/ml-mount-lens.json"));
  profile["behaviour"]["versionBytesAfterUpdate"] = {"0x01", "0x00", "0x60", "0x11"};
  StartSimulator(dir_.Write("ml-lens.json", profile.dump()));

  const std::string af = Memory("af"), cs = Memory("cs");
  const auto settings = Settings(infoFile);
  const auto r = RunCli(Env(), {"update", "--yes", "--target", "attached", "--json", "--device", device_});
  ASSERT_EQ(r.exitCode, 0) << r.out;
  EXPECT_THAT(AttachedChecks(Lines(r.out)), ::testing::ElementsAre(0, 1)) << r.out;
  EXPECT_EQ(Memory("af"), af);
  EXPECT_NE(Memory("cs"), cs);
  auto after = Settings(infoFile);
  EXPECT_EQ(after["cs"]["writeCount"], settings["cs"]["writeCount"].get<int>() + 1);
  after["cs"]["writeCount"] = settings["cs"]["writeCount"];
  EXPECT_EQ(after["cs"], settings["cs"]);
}

}  // namespace
}  // namespace cbx
