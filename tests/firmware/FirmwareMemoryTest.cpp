// A 16 MiB image must cost the host no more memory than a 1 MiB one: the file is streamed
// block by block. Each size runs in a forked child so that its peak is its own; the
// virtual device keeps only a checksum, so what grows would be the host's.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>

#include "FirmwareFixture.h"

namespace cbx::firmware::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr std::size_t kBlock = 256;

// The checksum of the file the child wrote, for comparing with what the device took in.
struct ChildResult {
  long peakKiB = -1;
  int result = -1;
  bool sameImage = false;
};

// Writes the file in small pieces, so that making it costs no memory either.
std::uint64_t WriteImage(const std::string& path, std::size_t blocks) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const std::vector<std::uint8_t> piece = Pattern(64 * kBlock);
  std::uint64_t checksum = sim::kFirmwareChecksumSeed;
  for (std::size_t done = 0; done < blocks; done += 64) {
    const std::size_t n = std::min<std::size_t>(64, blocks - done) * kBlock;
    out.write(reinterpret_cast<const char*>(piece.data()), static_cast<std::streamsize>(n));
    checksum = sim::FirmwareChecksum(std::span<const std::uint8_t>(piece.data(), n), checksum);
  }
  return checksum;
}

ChildResult TransferInChild(const TempDir& dir, std::size_t blocks) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    ChildResult r;
    try {
      update::CLensUpdateInfoData record;
      record.fwLocalPath = dir / ("fw" + std::to_string(blocks) + ".bin");
      const std::uint64_t checksum = WriteImage(record.fwLocalPath, blocks);
      record.fwMap = Map({0}, {0}, {static_cast<int>(blocks)});
      sim::DeviceProfile p = DockProfile();
      auto device = std::make_shared<sim::VirtualDevice>(p);
      device->SetKeepFirmwareData(false);
      dock::DockDevice dock(
          std::make_shared<sim::SimBackend>(std::vector<std::shared_ptr<sim::VirtualDevice>>{device}));
      bool ro = false, wo = false;
      if (dock.FindDevice(p.device.productId, ro, wo)) {
        lens::TransferProgress progress;
        r.result = LensFWUpdateThread(lens::kTransferLensFirmware256, dock, record, progress);
        const sim::FirmwareRecord got = device->Firmware();
        r.sameImage = got.complete && got.checksum == checksum && got.bytes == blocks * kBlock;
      }
      rusage usage{};
      getrusage(RUSAGE_SELF, &usage);
      r.peakKiB = usage.ru_maxrss;
    } catch (...) {
    }
    const ssize_t written = write(fds[1], &r, sizeof r);
    _exit(written == static_cast<ssize_t>(sizeof r) ? 0 : 1);
  }
  close(fds[1]);
  ChildResult r;
  if (pid > 0) {
    if (read(fds[0], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) r = {};
    int status = 0;
    waitpid(pid, &status, 0);
  }
  close(fds[0]);
  return r;
}

TEST(FirmwareMemoryTest, SixteenMebibyteImageCostsNoMoreThanOneMebibyte) {
  if (kSanitized) GTEST_SKIP() << "the address sanitizer keeps freed memory; peaks mean nothing here";
  const TempDir dir;
  const ChildResult small = TransferInChild(dir, 1024 * 1024 / kBlock);
  const ChildResult large = TransferInChild(dir, 65535);
  std::cout << "peak memory: 1 MiB image " << small.peakKiB << " KiB, 16 MiB image (65,535 blocks) "
            << large.peakKiB << " KiB\n";
  ::testing::Test::RecordProperty("peakKiB1MiB", std::to_string(small.peakKiB));
  ::testing::Test::RecordProperty("peakKiB16MiB", std::to_string(large.peakKiB));
  ASSERT_EQ(small.result, lens::kTransferSuccess);
  ASSERT_EQ(large.result, lens::kTransferSuccess);
  EXPECT_TRUE(small.sameImage);
  EXPECT_TRUE(large.sameImage);
  EXPECT_LT(large.peakKiB - small.peakKiB, 1024);
}

}  // namespace
}  // namespace cbx::firmware::test
