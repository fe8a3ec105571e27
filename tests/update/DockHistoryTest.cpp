#include "update/DockHistory.h"

#include <gtest/gtest.h>

namespace cbx::update {
namespace {

TEST(DockHistory, OneRecordPerMountNameInInsertionOrder) {
  DockHistory history;
  history.UpdateDockHistory("1.0.02.0004", "EO", "Dock EO", "1.02");
  history.UpdateDockHistory("1.0.01.0000", "KV", "Dock KV", "1.01");
  history.UpdateDockHistory("1.0.03.0001", "EO2", "Dock EO", "1.03");
  const auto records = history.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], (_DOCK_INFO_DATA{2084, "EO2", "Dock EO", "1.0.03.0001", "1.03"}));
  EXPECT_EQ(records[1].mountName, "Dock KV");
  history.Clear();
  EXPECT_TRUE(history.Records().empty());
}

TEST(DockHistory, LookupByVersionAndMountText) {
  DockHistory history;
  history.Add({2084, "EO", "Dock EO", "1.0.02.0004", "1.02"});
  history.Add({2084, "TL", "Dock TL", "1.02.0003.0", "f.ff"});
  const struct {
    const char* name;
    const char* version;
    const char* mountText;
    std::uint8_t format;
    const char* deviceDisplay;
    bool found;
    const char* display;
    const char* mountName;
  } cases[] = {
      {"recorded dock", "1.0.02.0004", "EO", 0, "", true, "1.02", "Dock EO"},
      {"recorded f.ff shows empty", "1.02.0003.0", "TL", 0, "", true, "", "Dock TL"},
      {"extended dock shows its own version", "1.02.0003.0", "TL", 0xAA, "1.02", true, "1.02", "Dock TL"},
      {"extended unreadable", "1.02.0003.0", "TL", 0xAA, "f.ff", true, "", "Dock TL"},
      {"other version", "1.0.02.0005", "EO", 0, "", false, "keep", "keep"},
      {"other mount text", "1.0.02.0004", "KV", 0, "", false, "keep", "keep"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string display = "keep", mountName = "keep";
    EXPECT_EQ(history.LookupDockHistory(c.version, c.mountText, c.format, c.deviceDisplay, display, mountName),
              c.found);
    EXPECT_EQ(display, c.display);
    EXPECT_EQ(mountName, c.mountName);
  }
}

}  // namespace
}  // namespace cbx::update
