#include "records/HistoryCipher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace cbx::records {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::vector<std::uint8_t> FromHex(std::string_view hex) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return out;
}

// Longer than one processing chunk, so the key stream must continue across chunks.
std::string SampleContent() {
  std::string text;
  std::uint32_t x = 12345;
  for (int i = 0; i < 200000; ++i) {
    x = x * 1103515245u + 12345u;
    text.push_back(static_cast<char>(x >> 24));
  }
  return text;
}

TEST(HistoryCipher, KeyIsTheStartOfTheSha1OfThePassPhrase) {
  // printf 'HrTavelQsU_Lnx' | sha1sum -> c7122b4a329268d3bd9e7a43ffd04eb2b68e9995
  EXPECT_EQ(HistoryKey(), FromHex("c7122b4a329268d3bd9e7a43ffd04eb2"));
}

TEST(HistoryCipher, Rc4MatchesPublishedVectors) {
  struct Case {
    const char* key;
    const char* plain;
    const char* cipherHex;
  };
  for (const Case& c : {Case{"Key", "Plaintext", "bbf316e8d940af0ad3"}, Case{"Wiki", "pedia", "1021bf0420"},
                        Case{"Secret", "Attack at dawn", "45a01f645fc35b383552544b9bf5"}}) {
    auto data = Bytes(c.plain);
    ASSERT_TRUE(Rc4Transform(Bytes(c.key), data)) << c.key;
    EXPECT_EQ(data, FromHex(c.cipherHex)) << c.key;
  }
  auto data = Bytes("unchanged");
  EXPECT_FALSE(Rc4Transform({}, data));
  EXPECT_EQ(data, Bytes("unchanged"));
}

TEST(HistoryCipher, FileIsOneStreamAndEncipheringTwiceRestoresIt) {
  TempDir dir;
  const std::string original = SampleContent();
  const std::string path = dir.Write("export.hist", original);

  ASSERT_TRUE(EncipherFile(path));
  const std::string enciphered = ReadFile(path);
  auto expected = Bytes(original);
  ASSERT_TRUE(Rc4Transform(HistoryKey(), expected));
  EXPECT_EQ(enciphered, std::string(expected.begin(), expected.end()));

  ASSERT_TRUE(EncipherFile(path));
  EXPECT_EQ(ReadFile(path), original);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
      << "no scratch file is left beside it";
}

TEST(HistoryCipher, DecipherWritesTmpBesideTheFileAndReplacesAnOldOne) {
  TempDir dir;
  const std::string original = SampleContent();
  const std::string path = dir.Write("my history.hist", original);
  ASSERT_TRUE(EncipherFile(path));
  const std::string enciphered = ReadFile(path);
  dir.Write("my history.hist.tmp", "stale");

  ASSERT_TRUE(DecipherToTemp(path));
  EXPECT_EQ(ReadFile(path + ".tmp"), original);
  EXPECT_EQ(ReadFile(path), enciphered);

  dir.Write("empty.hist", "");
  ASSERT_TRUE(DecipherToTemp(dir / "empty.hist"));
  EXPECT_TRUE(fs::is_regular_file(dir / "empty.hist.tmp"));
  EXPECT_EQ(fs::file_size(dir / "empty.hist.tmp"), 0u);
}

TEST(HistoryCipher, UnreadableSourcesFailAndLeaveNothingBehind) {
  TempDir dir;
  fs::create_directories(dir / "folder.hist");
  for (const std::string& path : {dir / "missing.hist", dir / "folder.hist"}) {
    EXPECT_FALSE(EncipherFile(path)) << path;
    EXPECT_FALSE(DecipherToTemp(path)) << path;
    EXPECT_FALSE(fs::exists(path + ".tmp")) << path;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace cbx::records
