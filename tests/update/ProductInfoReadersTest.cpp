#include "update/ProductInfoReaders.h"

#include <gtest/gtest.h>

#include "support/IniFixture.h"
#include "support/TempDir.h"

namespace cbx::update {
namespace {

using test::IniChange;
using test::kCompleteLens;
using test::IniKeys;
using test::IniText;
using test::TempDir;
using test::WithChanges;


struct LensSetup {
  int category = 0;
  int mountCode = 0x20;
  bool converter = false;
  std::uint8_t format = 0;
};

constexpr LensSetup kBranchS{};
constexpr LensSetup kBranchC{3, 0x20, false, 0};
constexpr LensSetup kBranchM0{0, 0x90, false, 0};
constexpr LensSetup kBranchM1{1, 0x91, true, 0};

CLensUpdateInfoData ReadLens(const TempDir& dir, const IniKeys& keys, LensSetup setup, int& valid) {
  const std::string path = dir.Write("lens.ini", IniText("Lens Config", keys));
  CLensUpdateInfoData record;
  record.mountCode = setup.mountCode;
  record.formatMarker = setup.format;
  record.rawVersion = "1.02.0003.1";
  ReadLensConfig(record, path, setup.category, setup.converter, valid);
  return record;
}

TEST(ReadLensConfig, StoresEveryKeyWithItsRule) {
  TempDir dir;
  int valid = -1;
  const CLensUpdateInfoData r = ReadLens(dir, kCompleteLens, kBranchS, valid);
  EXPECT_EQ(valid, 1);
  EXPECT_EQ(r.FWFileName, "LensFW.bin");
  EXPECT_EQ(r.Fwpath, "FW/1.2.03.0007");
  EXPECT_EQ(r.productName, "Lens A");
  EXPECT_EQ(r.MountName, "EO mount");
  EXPECT_EQ(r.FocusLimitCtrlReset, "0x01");
  EXPECT_EQ(std::vector({r.MustFwUp, r.CustomSW, r.OScontrol, r.FocusLimitCtrl, r.AFspeedCtrl,
                         r.FocusCtrl, r.ZoomLens, r.AfCsProtect, r.AfCsProtectReset, r.FwupOk,
                         r.MFCtrl, r.AFFuncBCtrl, r.MFSensCtrl}),
            std::vector({0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 1}));
  EXPECT_EQ(r.focalLengths, (std::vector<std::string>{"24", "70"}));
  EXPECT_EQ(r.encoderPositions, (std::vector<double>{0.5, 1.25}));
  EXPECT_EQ(r.scaleRatios, (std::vector<int>{10, 20}));
  EXPECT_EQ(r.zoomRatios, (std::vector<int>{1, 2}));
  EXPECT_EQ(r.rawFocalLength, "24,,70");
  EXPECT_EQ(r.fwMap, (BlockMap{3, 0, 10, {0x1000, 0x2000}, {0, 4}, {4, 6}}));
  EXPECT_EQ(r.afMap, (BlockMap{1, 0x8000, 16, {0x8000}, {0}, {16}}));
  EXPECT_EQ(r.af0List, (OffsetList{2, {0, 1}, {0x10, 0x20}}));
  EXPECT_EQ(r.af1List, (OffsetList{2, {0}, {0x10}}));
  EXPECT_EQ(r.cs0List, (OffsetList{1, {0}, {4}}));
  EXPECT_EQ(r.afpa0List, (OffsetList{1, {0}, {1}}));
  EXPECT_EQ(r.afpa1List, OffsetList{});
  EXPECT_EQ(r.DisplayVer, "1.03");
  EXPECT_EQ(r.FirmupMinCBXVer, "1.4.0");
  EXPECT_EQ(r.MFfunc, 0xAA);
  EXPECT_EQ(r.MFreset, 7);
  EXPECT_EQ(r.AFFuncBReset, 0xAA);
  EXPECT_EQ(r.FirmupTransCtrl, 2);
  EXPECT_EQ(r.DataWriteNumLimit, 300);

  CLensUpdateInfoData again = r;
  ReadLensConfig(again, dir / "lens.ini", 0, false, valid);
  EXPECT_EQ(again, r) << "a second read must give the same record";
}

TEST(ReadLensConfig, ValueRules) {
  const struct {
    const char* name;
    std::vector<IniChange> changes;
    void (*check)(const CLensUpdateInfoData&);
  } cases[] = {
      {"only YES is a flag", {{"CustomSW", "yes"}, {"FocusCtrl", "Yes"}, {"ZoomLens", "1"}},
       [](const CLensUpdateInfoData& r) { EXPECT_EQ(r.CustomSW + r.FocusCtrl + r.ZoomLens, 0); }},
      {"MFreset 0", {{"MFreset", "0"}}, [](const CLensUpdateInfoData& r) { EXPECT_EQ(r.MFreset, 1); }},
      {"MFreset -3", {{"MFreset", "-3"}}, [](const CLensUpdateInfoData& r) { EXPECT_EQ(r.MFreset, 1); }},
      {"MFreset absent", {{"MFreset", std::nullopt}},
       [](const CLensUpdateInfoData& r) { EXPECT_EQ(r.MFreset, 1); }},
      {"MFreset 16", {{"MFreset", "16"}}, [](const CLensUpdateInfoData& r) { EXPECT_EQ(r.MFreset, 15); }},
      {"MFreset 99", {{"MFreset", "99"}}, [](const CLensUpdateInfoData& r) { EXPECT_EQ(r.MFreset, 15); }},
      {"switch bytes keep only 0xAA", {{"MFfunc", "1aa"}, {"AFFuncBReset", "0x55"}},
       [](const CLensUpdateInfoData& r) {
         EXPECT_EQ(r.MFfunc, 0xAA);
         EXPECT_EQ(r.AFFuncBReset, 0);
       }},
      {"limit cut to 16 bits", {{"DataWriteNumLimit", "70000"}},
       [](const CLensUpdateInfoData& r) { EXPECT_EQ(r.DataWriteNumLimit, 4464); }},
      {"empty numbers read 0", {{"FirmupTransCtrl", ""}, {"DataWriteNumLimit", std::nullopt}},
       [](const CLensUpdateInfoData& r) {
         EXPECT_EQ(r.FirmupTransCtrl, 0);
         EXPECT_EQ(r.DataWriteNumLimit, 0);
       }},
      {"malformed numbers keep leading digits", {{"ScaleRatio", "12abc,x"}},
       [](const CLensUpdateInfoData& r) { EXPECT_EQ(r.scaleRatios, (std::vector<int>{12, 0})); }},
      {"missing switches read NO", {{"MFCtrl", std::nullopt}, {"AFFuncBCtrl", std::nullopt}, {"MFSensCtrl", std::nullopt}},
       [](const CLensUpdateInfoData& r) { EXPECT_EQ(r.MFCtrl + r.AFFuncBCtrl + r.MFSensCtrl, 0); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    int valid = -1;
    c.check(ReadLens(dir, WithChanges(kCompleteLens, c.changes), kBranchS, valid));
  }
}

TEST(ReadLensConfig, ExtendedFormatShowsTheDevicesOwnVersion) {
  TempDir dir;
  int valid = -1;
  const auto r = ReadLens(dir, WithChanges(kCompleteLens, {{"DisplayVer", std::nullopt}}),
                          {0, 0x10, false, 0xAA}, valid);
  EXPECT_EQ(r.DisplayVer, "1.02");
  EXPECT_EQ(valid, 1);
}

TEST(ReadLensConfig, ValidationPerBranch) {
  const IniKeys cineMinimum = {
      {"FWFileName", "f.bin"}, {"Fwversion", "1"}, {"UpDate", "d"},   {"DockVersion", "1"},
      {"Fwpath", "p"},         {"InfoPath", "i"},  {"LensName", "n"}, {"MountName", "m"},
      {"FW", "1,0,1"},         {"FwupOk", "NO"},   {"FirmupMinCBXVerWin", "1.0.0"}, {"DisplayVer", "1.00"}};
  const struct {
    const char* name;
    LensSetup setup;
    IniKeys base;
    std::vector<IniChange> changes;
    int valid;
  } cases[] = {
      {"S complete", kBranchS, kCompleteLens, {}, 1},
      {"S without AF2", kBranchS, kCompleteLens, {{"AF2", std::nullopt}}, 0},
      {"S with an empty FocalLength", kBranchS, kCompleteLens, {{"FocalLength", ""}}, 0},
      {"S without DisplayVer", kBranchS, kCompleteLens, {{"DisplayVer", std::nullopt}}, 0},
      {"S without the minimum program version", kBranchS, kCompleteLens, {{"FirmupMinCBXVerWin", std::nullopt}}, 0},
      {"older minimum key stands in for a lens", kBranchS, kCompleteLens,
       {{"FirmupMinCBXVerWin", ""}, {"FirmupMinCBXVer", "1.3.0"}}, 1},
      {"older minimum key does not for category 1", {1, 0x20, false, 0}, kCompleteLens,
       {{"FirmupMinCBXVerWin", ""}, {"FirmupMinCBXVer", "1.3.0"}}, 0},
      {"S without the switches", kBranchS, kCompleteLens,
       {{"MFCtrl", std::nullopt}, {"AFFuncBCtrl", std::nullopt}, {"MFSensCtrl", std::nullopt}}, 1},
      {"S DataWriteNumLimit 70000", kBranchS, kCompleteLens, {{"DataWriteNumLimit", "70000"}}, 1},
      {"S MFCtrl yes", kBranchS, kCompleteLens, {{"MFCtrl", "yes"}}, 0},
      {"S MFCtrl YES without MFreset", kBranchS, kCompleteLens, {{"MFreset", std::nullopt}}, 0},
      {"S MFCtrl NO without MFfunc", kBranchS, kCompleteLens,
       {{"MFCtrl", "NO"}, {"MFfunc", std::nullopt}, {"MFreset", std::nullopt}}, 1},
      {"S AFFuncBCtrl yes", kBranchS, kCompleteLens, {{"AFFuncBCtrl", "yes"}}, 0},
      {"S AFFuncBReset 0xaa", kBranchS, kCompleteLens, {{"AFFuncBReset", "0xaa"}}, 0},
      {"S AFFuncBReset 0x00", kBranchS, kCompleteLens, {{"AFFuncBReset", "0x00"}}, 1},
      {"S AFFuncBReset 0xAB", kBranchS, kCompleteLens, {{"AFFuncBReset", "0xAB"}}, 0},
      {"S AFFuncBReset anything when AFFuncBCtrl NO", kBranchS, kCompleteLens,
       {{"AFFuncBCtrl", "NO"}, {"AFFuncBReset", "zz"}}, 1},
      {"mount 0xA0 with a converter is S", {0, 0xA0, true, 0}, kCompleteLens, {{"AF2", std::nullopt}}, 0},

      {"C minimal", kBranchC, cineMinimum, {}, 1},
      {"C without FW", kBranchC, cineMinimum, {{"FW", std::nullopt}}, 0},
      {"C CustomSW YES needs CS", kBranchC, cineMinimum, {{"CustomSW", "YES"}}, 0},
      {"C OScontrol YES with the CS keys", kBranchC, cineMinimum,
       {{"OScontrol", "YES"}, {"MustFwUp", "NO"}, {"CS", "1"}, {"CS0", "1"}, {"AfCsProtect", "NO"},
        {"AfCsProtectReset", "NO"}}, 1},
      {"C AFFuncBCtrl yes", kBranchC, cineMinimum, {{"AFFuncBCtrl", "yes"}}, 0},

      {"M1 minimal", kBranchM1, cineMinimum, {{"FirmupTransCtrl", "0"}}, 1},
      {"M1 without FirmupTransCtrl", kBranchM1, cineMinimum, {}, 0},
      {"M1 skips the common checks", kBranchM1, cineMinimum,
       {{"FirmupTransCtrl", "0"}, {"AFFuncBCtrl", "yes"}, {"DisplayVer", std::nullopt}}, 1},

      {"M0 complete", kBranchM0, kCompleteLens, {}, 1},
      {"M0 needs no AF lists", kBranchM0, kCompleteLens,
       {{"AF", std::nullopt}, {"AF0", std::nullopt}, {"ZoomLens", std::nullopt}}, 1},
      {"M0 without CS0", kBranchM0, kCompleteLens, {{"CS0", std::nullopt}}, 0},
      {"M0 with an empty MFSensCtrl", kBranchM0, kCompleteLens, {{"MFSensCtrl", ""}}, 0},
      {"M0 CustomSW YES needs EncoderPosition", kBranchM0, kCompleteLens, {{"EncoderPosition", std::nullopt}}, 0},
      {"M0 DataWriteNumLimit 70000", kBranchM0, kCompleteLens, {{"DataWriteNumLimit", "70000"}}, 0},
      {"M0 DataWriteNumLimit -1", kBranchM0, kCompleteLens, {{"DataWriteNumLimit", "-1"}}, 0},
      {"M0 DataWriteNumLimit 65535", kBranchM0, kCompleteLens, {{"DataWriteNumLimit", "65535"}}, 1},
      {"M0 limit unchecked without MFSensCtrl and CustomSW", kBranchM0, kCompleteLens,
       {{"DataWriteNumLimit", "70000"}, {"MFSensCtrl", "NO"}, {"CustomSW", "NO"}}, 1},
      {"M0 AFFuncBCtrl yes", kBranchM0, kCompleteLens, {{"AFFuncBCtrl", "yes"}}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    int valid = -1;
    ReadLens(dir, WithChanges(c.base, c.changes), c.setup, valid);
    EXPECT_EQ(valid, c.valid);
  }
}

TEST(ReadLensConfig, MissingFileReadsDefaultsAndIsInvalid) {
  TempDir dir;
  CLensUpdateInfoData record;
  record.productName = "old";
  int valid = -1;
  ReadLensConfig(record, dir / "absent.ini", 0, false, valid);
  EXPECT_EQ(valid, 0);
  EXPECT_EQ(record.productName, "");
  EXPECT_EQ(record.MFreset, 1);
}

const IniKeys kAdapter = {{"FWFileName", "Ad.bin"}, {"Fwversion", "1.0.01.0002"}, {"UpDate", "d"},
                          {"Fwpath", "FW"},         {"AdapterName", "Converter B"}, {"MountName", "SE"},
                          {"FW", "1,0,4,100,0,4"},  {"InfoPath", "Doc"},            {"FwupOk", "YES"},
                          {"FirmupMinCBXVer", "1.3.0"}};
const IniKeys kFlash = WithChanges(kAdapter, {{"AdapterName", std::nullopt},
                                              {"FlashName", "Flash C"},
                                              {"DockVersion", "1.0.00.0000"},
                                              {"DisplayVer", "1.01"}});

TEST(ReadProductInfo, ReadsEachKindAndNamesIt) {
  const struct {
    const char* name;
    int kind;
    std::string file;
    int mountCode;
    std::uint8_t format;
    std::string productName;
    int valid;
  } cases[] = {
      {"lens behind 1.4x", 0, IniText("Lens Config", kCompleteLens), 0x21, 0, "Lens A (1.4x)", 1},
      {"adapter keeps its name", kProductKindAdapter, IniText("Dock Config", kAdapter), 0x21, 0,
       "Converter B", 1},
      {"adapter without InfoPath", kProductKindAdapter,
       IniText("Dock Config", WithChanges(kAdapter, {{"InfoPath", std::nullopt}})), 0x20, 0, "Converter B", 0},
      {"flash behind 2x", kProductKindFlash, IniText("Flash Config", kFlash), 0x12, 0, "Flash C (2x)", 1},
      {"flash without DisplayVer", kProductKindFlash,
       IniText("Flash Config", WithChanges(kFlash, {{"DisplayVer", std::nullopt}})), 0x20, 0, "Flash C", 0},
      {"extended flash without DisplayVer", kProductKindFlash,
       IniText("Flash Config", WithChanges(kFlash, {{"DisplayVer", std::nullopt}})), 0x20, 0xAA, "Flash C", 1},
      {"flash file in the lens section", kProductKindFlash, IniText("Lens Config", kFlash), 0x20, 0, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.Write("p.ini", c.file);
    CLensUpdateInfoData record;
    record.mountCode = c.mountCode;
    record.formatMarker = c.format;
    std::string fwFile, fwUrl, docUrl;
    int valid = -1;
    ReadProductInfo(c.kind, path, "http://s/1A3/EO/010B", record, false, fwFile, fwUrl, docUrl, valid);
    EXPECT_EQ(valid, c.valid);
    EXPECT_EQ(record.productName, c.productName);
    EXPECT_EQ(fwFile, record.FWFileName);
    EXPECT_EQ(fwUrl, "http://s/1A3/EO/010B/" + record.Fwpath);
    EXPECT_EQ(docUrl, "http://s/1A3/EO/010B/" + record.InfoPath);
  }
}

TEST(ReadProductInfo, AdapterBuildsItsFirmwareMap) {
  TempDir dir;
  const std::string path = dir.Write("a.ini", IniText("Dock Config", kAdapter));
  CLensUpdateInfoData record;
  int valid = -1;
  ReadAdapterConfig(record, path, valid);
  EXPECT_EQ(valid, 1);
  EXPECT_EQ(record.FirmupMinCBXVer, "1.3.0");
  EXPECT_EQ(record.fwMap, (BlockMap{1, 0, 4, {0x100}, {0}, {4}}));
  EXPECT_EQ(record.afMap, BlockMap{});
}

TEST(ReadMessageConfig, MlMountsReadOnlyTheirOsTexts) {
  TempDir dir;
  IniKeys keys;
  for (const char* prefix : {"btn_OScontrol_", "msg_OScontrol_", "btn_AFspeed_", "msg_AFspeed_",
                             "ml_btn_OScontrol_", "ml_msg_OScontrol_"})
    for (int i = 1; i <= 3; ++i) keys.emplace_back(prefix + std::to_string(i), prefix + std::to_string(i));
  const std::string path = dir.Write("eng.ini", IniText("Message Config", keys));

  CLensUpdateInfoData lens;
  lens.mountCode = 0x20;
  ReadMessageConfig(lens, path);
  EXPECT_EQ(lens.btnOsText1, "btn_OScontrol_1");
  EXPECT_EQ(lens.msgOsText3, "msg_OScontrol_3");
  EXPECT_EQ(lens.btnAfSpeedText2, "btn_AFspeed_2");
  EXPECT_EQ(lens.msgAfSpeedText3, "msg_AFspeed_3");

  for (int mount : {0x60, 0x90, 0xA0}) {
    CLensUpdateInfoData ml;
    ml.mountCode = mount;
    ReadMessageConfig(ml, path);
    EXPECT_EQ(ml.btnOsText2, "ml_btn_OScontrol_2");
    EXPECT_EQ(ml.msgOsText1, "ml_msg_OScontrol_1");
    EXPECT_EQ(ml.btnAfSpeedText1, "");
  }
}

const IniKeys kDock = {{"FWFileName", "Dock.bin"}, {"Fwversion", "1.0.02.0004"}, {"UpDate", "d"},
                       {"MountName", "Dock EO"},   {"FW", "1,0,8,4000,0,8"},     {"Fwpath", "FW"},
                       {"DisplayVer", "1.02"},     {"FwupOk", "YES"},            {"FirmupMinCBXVerWin", "1.5.0"},
                       {"FirmupMinCBXVer", "1.2.0"}};

TEST(ReadDockConfig, FillsTheDockFieldsEvenWhenInvalid) {
  const struct {
    const char* name;
    std::vector<IniChange> changes;
    std::uint8_t format;
    std::string rawVersion;
    std::string displayVer;
    int valid;
  } cases[] = {
      {"complete", {}, 0, "1.0.02.0003", "1.02", 1},
      {"without FW", {{"FW", std::nullopt}}, 0, "1.0.02.0003", "1.02", 0},
      {"without DisplayVer", {{"DisplayVer", std::nullopt}}, 0, "1.0.02.0003", "", 0},
      {"extended uses its own version", {{"DisplayVer", std::nullopt}}, 0xAA, "1.03.0004.0", "1.03", 1},
      {"extended unreadable", {}, 0xAA, "0.0F.FFF0.0", "f.ff", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.Write("updateInfo.ini", IniText("Dock Config", WithChanges(kDock, c.changes)));
    DockUpdateInfo dock;
    dock.dockFormatMarker = c.format;
    dock.dockRawVersion = c.rawVersion;
    std::string fwFile, fwUrl;
    int valid = -1;
    ReadDockConfig(dock, path, "http://s/USBDock/EO", fwFile, fwUrl, valid);
    EXPECT_EQ(valid, c.valid);
    EXPECT_EQ(fwFile, "Dock.bin");
    EXPECT_EQ(fwUrl, "http://s/USBDock/EO/FW");
    EXPECT_EQ(dock.dockFwversion, "1.0.02.0004");
    EXPECT_EQ(dock.dockMountName, "Dock EO");
    EXPECT_EQ(dock.dockDisplayVer, c.displayVer);
    EXPECT_EQ(dock.dockFwupOk, 0) << "only the flash unit's file carries the permission";
  }
}

TEST(ReadDockFConfig, MinimumVersionKeyDependsOnTheProgramVersion) {
  const struct {
    const char* name;
    std::string programVersion;
    std::vector<IniChange> changes;
    std::string minimum;
    int fwupOk;
    int valid;
  } cases[] = {
      {"new program prefers the Win key", "1.4.0", {}, "1.5.0", 1, 1},
      {"new program falls back", "2.0.0", {{"FirmupMinCBXVerWin", ""}}, "1.2.0", 1, 1},
      {"1.3.9 reads only the old key", "1.3.9", {}, "1.2.0", 1, 1},
      {"1.3.9 without the old key", "1.3.9", {{"FirmupMinCBXVer", std::nullopt}}, "", 1, 0},
      {"without FwupOk", "2.0.0", {{"FwupOk", std::nullopt}}, "1.5.0", 0, 0},
      {"FwupOk NO is present", "2.0.0", {{"FwupOk", "NO"}}, "1.5.0", 0, 1},
      {"huge version parts count as new", "1.99999999999.0", {}, "1.5.0", 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.Write("updateInfo.ini", IniText("Dock Config", WithChanges(kDock, c.changes)));
    DockUpdateInfo dock;
    std::string fwFile, fwUrl;
    int valid = -1;
    ReadDockFConfig(dock, path, "u", c.programVersion, fwFile, fwUrl, valid);
    EXPECT_EQ(dock.dockFirmupMinCBXVer, c.minimum);
    EXPECT_EQ(dock.dockFwupOk, c.fwupOk);
    EXPECT_EQ(valid, c.valid);
  }
}

TEST(ReadProgramVersionInfo, ValidWhenTheVersionIsThere) {
  TempDir dir;
  std::string version = "x";
  int valid = -1;
  ReadProgramVersionInfo(dir.Write("u.ini", "[CBX Config]\nFwversion=2.1.0\n"), version, valid);
  EXPECT_EQ(version, "2.1.0");
  EXPECT_EQ(valid, 1);
  ReadProgramVersionInfo(dir.Write("v.ini", "[CBX Config]\nFwversion=\n"), version, valid);
  EXPECT_EQ(version, "");
  EXPECT_EQ(valid, 0);
}

}  // namespace
}  // namespace cbx::update
