#include <gtest/gtest.h>

#include "dock/DockDevice.h"
#include "ScriptedHid.h"

namespace cbx::dock {
namespace {

using test::ScriptedBackend;
using test::ScriptedDevice;

// An open lens dock whose answers the test scripts.
class DockCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = std::make_shared<ScriptedBackend>();
    device_ = backend_->Add(std::make_shared<ScriptedDevice>(kProductLensDock));
    dock_ = std::make_unique<DockDevice>(backend_);
    bool r = false, w = false;
    ASSERT_TRUE(dock_->FindDevice(kProductLensDock, r, w));
    ASSERT_TRUE(dock_->IsReady());
    dock_->SetReadTimeoutMs(200);
  }

  // Every request is answered with this fixed list of replies.
  void AnswerWith(std::vector<Report> replies) {
    device_->SetResponder([replies](const Report&) { return replies; });
  }

  static Report Status(std::uint16_t code, std::uint8_t status) { return StatusReply{code, status}.Encode(); }

  std::shared_ptr<ScriptedBackend> backend_;
  std::shared_ptr<ScriptedDevice> device_;
  std::unique_ptr<DockDevice> dock_;
};

TEST_F(DockCommandsTest, CommandAndWaitReadsPastNotFinishedUntilDone) {
  AnswerWith({Status(0x0602, 0x00), Status(0x0602, 0x00), Status(0x0602, 0xAA)});
  int status = 0;
  EXPECT_TRUE(dock_->CommandAndWait(cmd::kAfReadStart, cmd::kAfReadStartReply, status));
  EXPECT_EQ(status, 0xAA);
  EXPECT_EQ(CodeOf(device_->Written().at(0)), cmd::kAfReadStart);
  EXPECT_EQ(device_->QueuedReplies(), 0u);
}

TEST_F(DockCommandsTest, CommandAndWaitFailsOnAnyOtherStatus) {
  for (const std::uint8_t bad : std::initializer_list<std::uint8_t>{0xCC, 0xEE, 0xFF, 0x01}) {
    AnswerWith({Status(0x0702, 0x00), Status(0x0702, bad), Status(0x0702, 0xAA)});
    int status = 0;
    EXPECT_FALSE(dock_->CommandAndWait(cmd::kCsReadStart, cmd::kCsReadStartReply, status)) << int(bad);
    EXPECT_EQ(status, kStatusNoAnswer);
    device_->SetPresent(false);  // drop the unread reply
    device_->SetPresent(true);
  }
}

TEST_F(DockCommandsTest, CommandAndWaitFailsOnSilenceWrongCodeAndEndlessWork) {
  int status = 0;
  AnswerWith({});
  EXPECT_FALSE(dock_->CommandAndWait(cmd::kLensUpdateStart, cmd::kLensUpdateStartReply, status));
  AnswerWith({Status(0x0503, 0xAA)});
  EXPECT_FALSE(dock_->CommandAndWait(cmd::kLensUpdateStart, cmd::kLensUpdateStartReply, status));
  // A device that keeps saying "not finished" is given up after the still-working limit.
  dock_->SetStillWorkingLimit(std::chrono::milliseconds(100));
  device_->SetResponder([](const Report&) { return std::vector<Report>(400, Status(0x0507, 0x00)); });
  EXPECT_FALSE(dock_->CommandAndWait(cmd::kDockUpdateStart, cmd::kDockUpdateStartReply, status));
  EXPECT_EQ(status, kStatusNoAnswer);
}

TEST_F(DockCommandsTest, ReadAckAcceptsNotFinishedDoneAndAccepted) {
  const std::pair<std::uint8_t, bool> cases[] = {{0x00, true}, {0xAA, true}, {0xFF, true}, {0xCC, false}, {0x55, false}};
  for (const auto& [byte, ok] : cases) {
    AnswerWith({AckReply{cmd::kLensBlockAck, 3, 1, byte}.Encode()});
    ASSERT_TRUE(dock_->SendBlock(cmd::kLensBlock, 3, 1, Unit{}));
    int status = 0;
    std::uint16_t w1 = 0, w2 = 0;
    EXPECT_EQ(dock_->ReadAck(cmd::kLensBlockAck, status, w1, w2), ok) << int(byte);
    EXPECT_EQ(status, ok ? byte : kStatusNoAnswer);
    EXPECT_EQ(w1, 3);
  }
}

TEST_F(DockCommandsTest, ReadSubPacketAckJudgesByteNine) {
  const struct {
    std::uint8_t accept, status;
    bool ok;
    int expected;
  } cases[] = {{0x05, 0xAA, false, kStatusNoAnswer}, {0xAA, 0x00, true, 0x00}, {0x00, 0xFF, true, 0xFF}};
  for (const auto& c : cases) {
    AnswerWith({SubPacketAckReply{cmd::kDockSubPacketAck, 1, 2, 3, c.accept, c.status}.Encode()});
    const std::uint8_t data[52] = {1, 2, 3};
    ASSERT_TRUE(dock_->SendSubPacket(cmd::kDockSubPacket, 9, 2, 4, data));
    int status = 0;
    std::uint16_t w1 = 0, w2 = 0, w3 = 0;
    EXPECT_EQ(dock_->ReadSubPacketAck(cmd::kDockSubPacketAck, status, w1, w2, w3), c.ok);
    EXPECT_EQ(status, c.expected);
  }
  const auto sent = SubPacketRequest::Decode(device_->Written().back());
  EXPECT_EQ(sent.wordA, 9);
  EXPECT_EQ(sent.wordB, 2);
  EXPECT_EQ(sent.wordC, 4);
  EXPECT_EQ(sent.data[2], 3);
  const std::vector<std::uint8_t> tooLong(53);
  EXPECT_FALSE(dock_->SendSubPacket(cmd::kDockSubPacket, 1, 0, 0, tooLong));
}

TEST_F(DockCommandsTest, ReadBlockCopiesDataEvenWhenTheStatusFails) {
  DataUnitReply reply{cmd::kAfReadUnitReply, 10, 4, {}, 0xFF};
  reply.data[0] = 0x12;
  reply.data[31] = 0x34;
  AnswerWith({reply.Encode()});
  ASSERT_TRUE(dock_->SendWords(cmd::kAfReadUnit, 10, 4));
  std::uint16_t w1 = 0, w2 = 0;
  Unit data{};
  int status = 0;
  EXPECT_FALSE(dock_->ReadBlock(cmd::kAfReadUnitReply, w1, w2, data, status));
  EXPECT_EQ(status, kStatusNoAnswer);
  EXPECT_EQ(data[0], 0x12);
  EXPECT_EQ(data[31], 0x34);
  const auto sent = WordsRequest::Decode(device_->Written().back());
  EXPECT_EQ(sent.wordA, 10);
  EXPECT_EQ(sent.wordB, 4);
}

TEST_F(DockCommandsTest, StatusRequestTakesOnlyTheFiveStatusBytes) {
  const std::pair<std::uint8_t, int> cases[] = {{0x00, 0x00}, {0xAA, 0xAA}, {0xCC, 0xCC}, {0xEE, 0xEE},
                                                {0xFF, 0xFF}, {0x01, kStatusNoAnswer}, {0x55, kStatusNoAnswer}};
  for (const auto& [byte, expected] : cases) {
    AnswerWith({Status(cmd::kStatusReply, byte)});
    int status = 0;
    EXPECT_EQ(dock_->RequestStatus(status), expected != kStatusNoAnswer);
    EXPECT_EQ(status, expected);
  }
  AnswerWith({Status(cmd::kStatusReply, 0xEE)});
  EXPECT_FALSE(dock_->IsNotBusy());
  AnswerWith({});
  EXPECT_TRUE(dock_->IsNotBusy());  // no answer is not "busy"
}

struct SectorCase {
  std::size_t entries;
  std::vector<std::size_t> entriesPerChunk;
};

TEST_F(DockCommandsTest, SectorTableIsSentInChunksOfSeven) {
  const SectorCase cases[] = {{3, {3}}, {7, {7, 0}}, {9, {7, 2}}, {0, {0}}, {14, {7, 7, 0}}};
  for (const auto& c : cases) {
    for (const bool answersEveryChunk : {true, false}) {
      auto chunk = std::make_shared<std::atomic<int>>(0);
      device_->SetResponder([chunk, answersEveryChunk](const Report&) {
        if (chunk->fetch_add(1) > 0 && !answersEveryChunk) return std::vector<Report>{};
        return std::vector<Report>{Status(0x0512, 0xCC), Status(0x0512, 0x00), Status(0x0512, 0xAA)};
      });
      dock_->SetSectorTableGraceMs(answersEveryChunk ? 1000 : 50);
      const std::size_t before = device_->Written().size();
      std::vector<std::uint32_t> starts, units;
      for (std::size_t i = 0; i < c.entries; ++i) {
        starts.push_back(0x10000u + static_cast<std::uint32_t>(i) * 0x100u);
        units.push_back(i == 0 ? 0x1000u : static_cast<std::uint32_t>(i));
      }
      int status = 0;
      ASSERT_TRUE(dock_->SendSectorTable(status, starts, units)) << c.entries;
      EXPECT_EQ(status, 0xAA);
      EXPECT_EQ(device_->QueuedReplies(), 0u);
      const auto written = device_->Written();
      ASSERT_EQ(written.size() - before, c.entriesPerChunk.size()) << c.entries;
      for (std::size_t k = 0; k < c.entriesPerChunk.size(); ++k) {
        const Report& r = written[before + k];
        EXPECT_EQ(CodeOf(r), cmd::kSectorTable);
        EXPECT_EQ(r[3], c.entries);
        const auto decoded = SectorTableChunk::Decode(r, kSectorEntriesPerChunk);
        for (std::size_t e = 0; e < kSectorEntriesPerChunk; ++e) {
          if (e < c.entriesPerChunk[k]) {
            const std::size_t i = k * kSectorEntriesPerChunk + e;
            EXPECT_EQ(decoded.entries[e].start, starts[i]);
            EXPECT_EQ(decoded.entries[e].lengthBytes, units[i] << 5);
          } else {
            EXPECT_EQ(decoded.entries[e], SectorEntry{}) << "unused slot must be zero";
          }
        }
      }
      if (c.entries > 0) {
        // 0x1000 units travel as 0x20000 bytes: 00 00 02 00.
        const Report& first = written[before];
        EXPECT_EQ(std::vector<int>(first.begin() + 8, first.begin() + 12), (std::vector<int>{0, 0, 2, 0}));
      }
    }
  }
}

TEST_F(DockCommandsTest, SectorTableFailsWhenTheFirstChunkIsRefused) {
  AnswerWith({Status(0x0512, 0xCC), Status(0x0512, 0xEE)});
  const std::uint32_t starts[] = {0}, units[] = {1};
  int status = 0;
  EXPECT_FALSE(dock_->SendSectorTable(status, starts, units));
  EXPECT_EQ(status, kStatusNoAnswer);
  AnswerWith({});
  EXPECT_FALSE(dock_->SendSectorTable(status, starts, units));
}

TEST_F(DockCommandsTest, NothingMovesWhenTheDeviceIsNotReady) {
  dock_->Close();
  dock_->Close();  // twice is harmless
  const std::size_t before = device_->Written().size();
  int status = 0;
  EXPECT_FALSE(dock_->SendCommand(cmd::kStatus));
  EXPECT_FALSE(dock_->RequestStatus(status));
  EXPECT_FALSE(dock_->CommandAndWait(cmd::kAfReadStart, cmd::kAfReadStartReply, status));
  EXPECT_EQ(device_->Written().size(), before);
  EXPECT_EQ(dock_->lastStatus(), 0);
}

}  // namespace
}  // namespace cbx::dock
