#include "update/LensHistory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace cbx::update {
namespace {

CLensUpdateInfoData Device(int category, std::string serial, int mountCode = 0x20, int zoom = 0,
                           std::vector<std::string> focalLengths = {}) {
  CLensUpdateInfoData r;
  r.deviceCategory = category;
  r.serialNumber = std::move(serial);
  r.productCodeText = "1A3";
  r.mountCode = mountCode;
  r.ZoomLens = zoom;
  r.focalLengths = std::move(focalLengths);
  return r;
}

std::vector<std::string> Serials(const LensHistory& history) {
  std::vector<std::string> serials;
  for (const auto& r : history.Records()) serials.push_back(r.serialNumber);
  return serials;
}

TEST(LensHistory, KeepsHistoryOrderWhateverTheInsertionOrder) {
  const struct {
    const char* name;
    std::vector<CLensUpdateInfoData> added;
    std::vector<std::string> order;
  } cases[] = {
      {"categories 2, 1, 0, 3 end up 0, 3, 1, 2",
       {Device(2, "flash"), Device(1, "conv"), Device(0, "lens"), Device(3, "cine")},
       {"lens", "cine", "conv", "flash"}},
      {"primes by focal length before zooms",
       {Device(0, "zoom", 0x20, 1, {"24", "70"}), Device(0, "p35", 0x20, 0, {"35"}),
        Device(0, "p24", 0x20, 0, {"24"})},
       {"p24", "p35", "zoom"}},
      {"same model by serial number as a number",
       {Device(0, "12003", 0x20, 0, {"50"}), Device(0, "987", 0x20, 0, {"50"})}, {"987", "12003"}},
      {"converters and flashes by serial number",
       {Device(1, "30"), Device(1, "4"), Device(2, "200"), Device(2, "19")}, {"4", "30", "19", "200"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LensHistory history;
    for (const auto& r : c.added) EXPECT_FALSE(history.AddOrReplace(r));
    EXPECT_EQ(Serials(history), c.order);
  }
}

TEST(LensHistory, TeleconverterRankBreaksTheLastTie) {
  LensHistory history;
  for (int mount : {0x22, 0x20, 0x21}) history.AddOrReplace(Device(0, "555", mount, 0, {"300"}));
  const auto records = history.Records();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].mountCode, 0x20);
  EXPECT_EQ(records[1].mountCode, 0x21);
  EXPECT_EQ(records[2].mountCode, 0x22);
}

TEST(LensHistory, ReplacesTheSameDeviceAndMovesOnlyIt) {
  LensHistory history;
  history.AddOrReplace(Device(0, "1", 0x20, 0, {"24"}));
  history.AddOrReplace(Device(0, "2", 0x20, 0, {"35"}));
  history.AddOrReplace(Device(2, "3"));
  // Equal under every rule: kept in the order they came.
  CLensUpdateInfoData twinA = Device(0, "7", 0x20, 0, {"85"}), twinB = twinA;
  twinA.productCodeText = "A";
  twinB.productCodeText = "B";
  history.AddOrReplace(twinA);
  history.AddOrReplace(twinB);
  ASSERT_EQ(Serials(history), (std::vector<std::string>{"1", "2", "7", "7", "3"}));
  EXPECT_TRUE(history.AddOrReplace(twinA));
  EXPECT_EQ(history.GetAt(2).productCodeText, "A");

  CLensUpdateInfoData updated = Device(0, "1", 0x20, 0, {"100"});
  updated.Fwversion = "1.2.03.0007";
  EXPECT_TRUE(history.AddOrReplace(updated));
  EXPECT_EQ(history.Size(), 5);
  EXPECT_EQ(Serials(history), (std::vector<std::string>{"2", "7", "7", "1", "3"}));
  EXPECT_EQ(history.GetAt(3).Fwversion, "1.2.03.0007");
}

TEST(LensHistory, FindsTheConnectedDevice) {
  LensHistory history;
  CLensUpdateInfoData stored = Device(0, "42", 0x20, 0, {"50"});
  stored.productName = "Lens A";
  history.AddOrReplace(stored);
  history.AddOrReplace(Device(2, "1"));

  CLensUpdateInfoData connected = Device(0, "42");  // fresh identification, nothing read yet
  EXPECT_TRUE(history.Contains(connected));
  EXPECT_EQ(history.IndexOf(connected), 0);
  CLensUpdateInfoData out;
  ASSERT_TRUE(history.Find(connected, out));
  EXPECT_EQ(out.productName, "Lens A");

  CLensUpdateInfoData stranger = Device(0, "42", 0x21);
  out.productName = "untouched";
  EXPECT_FALSE(history.Contains(stranger));
  EXPECT_EQ(history.IndexOf(stranger), -1);
  EXPECT_FALSE(history.Find(stranger, out));
  EXPECT_EQ(out.productName, "untouched");

  history.RemoveAt(0);
  EXPECT_FALSE(history.Contains(connected));
  EXPECT_EQ(history.Size(), 1);
  history.Clear();
  EXPECT_EQ(history.Size(), 0);
}

TEST(LensHistory, WorkerAndUserInterfaceMayUseItTogether) {
  LensHistory history;
  std::thread worker([&] {
    for (int i = 0; i < 200; ++i) history.AddOrReplace(Device(i % 4, std::to_string(i % 50)));
  });
  for (int i = 0; i < 200; ++i) {
    const auto records = history.Records();
    EXPECT_TRUE(std::is_sorted(records.begin(), records.end(), HistoryOrderBefore));
    history.Contains(Device(0, "3"));
  }
  worker.join();
  EXPECT_EQ(history.Size(), 50);  // one record per serial number
}

}  // namespace
}  // namespace cbx::update
