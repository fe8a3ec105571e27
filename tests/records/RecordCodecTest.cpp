#include "records/RecordCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/HistoryFiles.h"

namespace cbx::records {
namespace {

using update::CLensUpdateInfoData;

std::string TextAt(const LensRecordImage& image, std::size_t offset) {
  return ReadTextField(std::span<const std::uint8_t>(image).subspan(offset, kTextFieldBytes));
}

void PutText(LensRecordImage& image, std::size_t offset, std::string_view text) {
  WriteTextField(std::span<std::uint8_t>(image).subspan(offset, kTextFieldBytes), text);
}

// A record as it comes back from a file: nothing of one run, lists built from the raw texts.
CLensUpdateInfoData StoredLens() {
  CLensUpdateInfoData r;
  r.FWFileName = "LensA_102.bin";
  r.Fwversion = "1.02";
  r.UpDate = "2024/05/01";
  r.DockVersion = "1.01";
  r.Fwpath = "http://example/lens/";
  r.InfoPath = "http://example/info/";
  r.productName = "Lens Ä 24-70";
  r.MustFwUp = 1;
  r.FocusCtrl = 1;
  r.ZoomLens = 1;
  r.rawFocalLength = "24,70";
  r.MountName = "EO";
  r.rawEncoderPosition = "0.5,1.25";
  r.rawScaleRatio = "1,2";
  r.rawZoomRatio = "3";
  r.rawFW = "3,0,10,1000,0,4,2000,4,6";
  r.rawAF = "1,0,4,3000,0,4";
  r.rawAF1 = "2,0,10";
  r.btnOsText1 = "On";
  r.msgAfSpeedText3 = "Fast";
  r.lensImagePath = "/data/LensDatabase/1A3/Image/lensImage.png";
  r.focusFcImagePath = "/data/LensDatabase/1A3/Image/fc.png";
  r.focusFlImagePath = "/data/LensDatabase/1A3/Image/fl.png";
  r.lensImageSize = 11;
  r.focusFcImageSize = 22;
  r.focusFlImageSize = 33;
  r.rawVersion = "1.2.03.0005";
  r.serialNumber = "12003";
  r.mountCode = 0x21;
  r.rawAFPA2 = "1,0,8";
  r.DisplayVer = "1.03";
  r.AfCsProtectReset = 1;
  r.FwupOk = 1;
  r.FirmupMinCBXVer = "2.0.0";
  r.noUpdateInfo = 1;
  r.formatMarker = 0xAA;
  r.MFCtrl = 1;
  r.MFfunc = 0xAA;
  r.MFreset = 7;
  r.productCodeText = "1A3";
  r.deviceCategory = 3;
  r.AFFuncBCtrl = 1;
  r.AFFuncBReset = 0xAA;
  r.MFSensCtrl = 1;
  r.FirmupTransCtrl = 2;
  r.DataWriteNumLimit = -2;
  r.FocusLimitCtrlReset = "NO";
  update::BuildListsFromRawTexts(r);
  return r;
}

TEST(RecordCodec, LensRecordLayoutAndRoundTrip) {
  CLensUpdateInfoData record = StoredLens();
  record.productInfoPath = "/tmp/info.ini";  // belongs to one run: not stored
  record.controllerValue = 5;
  const LensRecordImage image = PackLensRecord(record);

  EXPECT_EQ(ReadU32(image, 0), 30724u);
  EXPECT_EQ(TextAt(image, 4), "LensA_102.bin");
  EXPECT_EQ(TextAt(image, 3124), "Lens Ä 24-70");
  EXPECT_EQ(TextAt(image, 3644), "YES");
  EXPECT_EQ(TextAt(image, 4164), "NO");
  EXPECT_EQ(TextAt(image, 19764), "\\data\\LensDatabase\\1A3\\Image\\lensImage.png");
  EXPECT_EQ(ReadU32(image, 21332), 33u);
  EXPECT_EQ(ReadU32(image, 22376), 0xFFFFFFFFu);
  EXPECT_EQ(ReadU32(image, 22380), 0x21u);
  EXPECT_EQ(image[26548], 0xAA);
  EXPECT_EQ(TextAt(image, 27070), "aa");
  EXPECT_EQ(TextAt(image, 27590), "7");
  EXPECT_EQ(ReadU32(image, 28632), 3u);
  EXPECT_EQ(TextAt(image, 29156), "aa");
  EXPECT_EQ(image[30200], 0xFE);
  EXPECT_EQ(image[30201], 0xFF);
  EXPECT_EQ(TextAt(image, 30202), "NO");
  // Text fields are UTF-16LE.
  EXPECT_EQ(image[3124 + 10], 0xC4);
  EXPECT_EQ(image[3124 + 11], 0x00);

  EXPECT_EQ(UnpackLensRecord(image), StoredLens());
}

TEST(RecordCodec, TextFieldsAreCutAt259UnitsWithoutSplittingAPair) {
  const std::string clef = "\xF0\x9D\x84\x9E";  // one character, two UTF-16 units
  const struct {
    std::string text;
    std::string expected;
  } cases[] = {
      {std::string(300, 'a'), std::string(259, 'a')},
      {std::string(258, 'a') + clef, std::string(258, 'a')},
      {std::string(257, 'a') + clef + "b", std::string(257, 'a') + clef},
      {"bad \xFF byte", "bad \xEF\xBF\xBD byte"},
  };
  for (const auto& c : cases) {
    std::array<std::uint8_t, kTextFieldBytes> field{};
    field.fill(0xEE);
    WriteTextField(field, c.text);
    EXPECT_EQ(ReadTextField(field), c.expected);
    EXPECT_EQ(field[518], 0);
    EXPECT_EQ(field[519], 0);
  }
}

TEST(RecordCodec, ShortRecordOfAnEarlierLayoutGetsDefaults) {
  const LensRecordImage full = PackLensRecord(StoredLens());
  const CLensUpdateInfoData r = UnpackLensRecord(std::span<const std::uint8_t>(full).first(26548));
  EXPECT_EQ(r.serialNumber, "12003");
  EXPECT_EQ(r.noUpdateInfo, 1);
  EXPECT_EQ(r.formatMarker, 0);
  EXPECT_EQ(r.deviceCategory, 0);
  EXPECT_EQ(r.MFreset, 1);
  EXPECT_EQ(r.MFfunc, 0);
  EXPECT_EQ(r.DataWriteNumLimit, 0);
  EXPECT_EQ(r.FirmupTransCtrl, 0);
  EXPECT_EQ(r.FocusLimitCtrlReset, "");
  EXPECT_EQ(r.productCodeText, "");
  EXPECT_EQ(r.productId, -1);
}

TEST(RecordCodec, StoredValuesAreReadWithTheirRules) {
  const struct {
    const char* name;
    std::string mfFunc, mfReset;
    int productId;
    std::string productCode;
    int category;
    std::uint8_t expectedMfFunc;
    int expectedMfReset, expectedProductId;
    std::string expectedProductCode;
    int expectedCategory;
  } cases[] = {
      {"lower-case switch", "aa", "4", -1, "1A3", 1, 0xAA, 4, -1, "1A3", 1},
      {"upper-case switch", "AA", "0", -1, "1A3", 2, 0xAA, 1, -1, "1A3", 2},
      {"other switch value", "55", "99", -1, "1A3", 3, 0, 15, -1, "1A3", 3},
      {"low byte counts", "1aa", "x", -1, "1A3", 4, 0xAA, 1, -1, "1A3", 0},
      {"numeric identity moves to the code text", "aa", "4", 291, "", -1, 0xAA, 4, -1, "291", 0},
      {"both identities kept", "aa", "4", 291, "1A3", 0, 0xAA, 4, 291, "1A3", 0},
  };
  for (const auto& c : cases) {
    LensRecordImage image = PackLensRecord(StoredLens());
    PutText(image, 27070, c.mfFunc);
    PutText(image, 27590, c.mfReset);
    PutText(image, 28110, c.productCode);
    for (std::size_t i = 0; i < 4; ++i) {
      image[22376 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(c.productId) >> (8 * i));
      image[28632 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(c.category) >> (8 * i));
    }
    const CLensUpdateInfoData r = UnpackLensRecord(image);
    EXPECT_EQ(r.MFfunc, c.expectedMfFunc) << c.name;
    EXPECT_EQ(r.MFreset, c.expectedMfReset) << c.name;
    EXPECT_EQ(r.productId, c.expectedProductId) << c.name;
    EXPECT_EQ(r.productCodeText, c.expectedProductCode) << c.name;
    EXPECT_EQ(r.deviceCategory, c.expectedCategory) << c.name;
  }
  CLensUpdateInfoData odd = StoredLens();
  odd.deviceCategory = 9;
  EXPECT_EQ(ReadU32(PackLensRecord(odd), 28632), 0u);
}

TEST(RecordCodec, DockRecordIsOneBlock) {
  const update::_DOCK_INFO_DATA dock{2084, "EO", "Dock EO", "1.0.02.0004", "1.02"};
  const DockRecordImage image = PackDockRecord(dock);
  EXPECT_EQ(ReadU32(image, 0), 2084u);
  EXPECT_EQ(ReadTextField(std::span<const std::uint8_t>(image).subspan(1564, kTextFieldBytes)), "1.02");
  EXPECT_EQ(UnpackDockRecord(image), dock);
}

TEST(RecordCodec, RebaseDataPath) {
  const std::string local = "/home/u/.local/share";
  const std::string expected = local + "/ORVANE/ORVANE Calibrix/LensDatabase/1A3/Image/lensImage.png";
  const struct {
    std::string stored, folder, expected;
  } cases[] = {
      {R"(C:\Users\A\AppData\Local\ORVANE\ORVANE Calibrix\LensDatabase\1A3\Image\lensImage.png)", local, expected},
      {"/home/a/.local/share/ORVANE/ORVANE Calibrix/LensDatabase/1A3/Image/lensImage.png", local + "/", expected},
      {R"(\x\ORVANE\ORVANE Calibrix\old/ORVANE/ORVANE Calibrix\LensDatabase\1A3\Image\lensImage.png)", local, expected},
      {R"(C:\Pictures\lensImage.png)", local, R"(C:\Pictures\lensImage.png)"},
      {"ORVANE/ORVANE Calibrix/x.png", local, "ORVANE/ORVANE Calibrix/x.png"},
      {"/a/ORVANE/ORVANE Calibrix/x.png", "", "/a/ORVANE/ORVANE Calibrix/x.png"},
      {"/" + std::string(258, 'a'), local, "/" + std::string(258, 'a')},
      {"/" + std::string(259, 'a'), local, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(RebaseDataPath(c.stored, c.folder), c.expected) << c.stored;
}

}  // namespace
}  // namespace cbx::records
