#include "lens/SettingsWorkers.h"

#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "app/Log.h"

namespace cbx::lens {

namespace {

using dock::DockDevice;
using update::BlockMap;

// One block of a map, checked: units start..start+length-1, all numbers fit a unit word.
struct BlockSpan {
  int start = 0;
  int length = 0;
  std::size_t Bytes() const { return static_cast<std::size_t>(length) * dock::kUnitSize; }
};

// The blocks of a map, or nothing when the map cannot be walked (more blocks than
// entries, negative numbers, units beyond what a word carries).
std::optional<std::vector<BlockSpan>> BlocksOf(const BlockMap& map) {
  if (map.count < 0 || map.total < 0 || map.total > 0xFFFF) return std::nullopt;
  const auto count = static_cast<std::size_t>(map.count);
  if (map.start.size() < count || map.length.size() < count) return std::nullopt;
  std::vector<BlockSpan> blocks;
  for (std::size_t i = 0; i < count; ++i) {
    const int start = map.start[i];
    const int length = map.length[i];
    if (start < 0 || length < 0 || start + length - 1 > 0xFFFF) return std::nullopt;
    blocks.push_back({start, length});
  }
  return blocks;
}

std::uint16_t Word(int value) { return static_cast<std::uint16_t>(value); }

// The commands of one data area.
struct AreaCommands {
  std::uint16_t readStart, readStartReply, readUnit, readUnitReply;
  std::uint16_t writeStart, writeStartReply, writeUnit, writeAck;
};

constexpr AreaCommands kAfCommands{dock::cmd::kAfReadStart,  dock::cmd::kAfReadStartReply,
                                   dock::cmd::kAfReadUnit,   dock::cmd::kAfReadUnitReply,
                                   dock::cmd::kAfWriteStart, dock::cmd::kAfWriteStartReply,
                                   dock::cmd::kAfWriteUnit,  dock::cmd::kAfWriteUnitAck};
constexpr AreaCommands kCsCommands{dock::cmd::kCsReadStart,  dock::cmd::kCsReadStartReply,
                                   dock::cmd::kCsReadUnit,   dock::cmd::kCsReadUnitReply,
                                   dock::cmd::kCsWriteStart, dock::cmd::kCsWriteStartReply,
                                   dock::cmd::kCsWriteUnit,  dock::cmd::kCsWriteUnitAck};

// Reads every block of an area, one unit request and one reply per 32 bytes.
int ReadArea(DockDevice& device, const BlockMap& map, const AreaCommands& commands, int functionNumber,
             std::vector<Image*> images, TransferProgress& progress) {
  const auto blocks = BlocksOf(map);
  if (!blocks) return kTransferDataFailure;
  int status = 0;
  if (!device.CommandAndWait(commands.readStart, commands.readStartReply, status)) {
    ReportError(functionNumber, kErrCommand, commands.readStart);
    return kTransferDeviceFailure;
  }
  progress.SetTotal(map.total);
  // A second read must not stack its blocks onto what an earlier read left.
  for (Image* image : images) ClearImage(*image);
  int done = 0;
  for (std::size_t i = 0; i < blocks->size(); ++i) {
    const BlockSpan& span = (*blocks)[i];
    Block block(span.Bytes(), 0xFF);
    for (int u = span.start; u < span.start + span.length; ++u) {
      if (!device.SendWords(commands.readUnit, Word(map.total), Word(u))) {
        ReportError(functionNumber, kErrCommand, commands.readUnit);
        return kTransferDeviceFailure;
      }
      dock::Unit unit;
      unit.fill(0xFF);
      std::uint16_t word1 = 0, word2 = 0;
      int unitStatus = 0;
      if (!device.ReadBlock(commands.readUnitReply, word1, word2, unit, unitStatus) ||
          unitStatus != dock::kStatusDone) {
        ReportError(functionNumber, kErrResponse, commands.readUnitReply);
        return kTransferDeviceFailure;
      }
      std::copy(unit.begin(), unit.end(),
                block.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(u - span.start) * dock::kUnitSize));
      progress.SetPosition(done++);
    }
    for (Image* image : images) InsertBlock(*image, i, block);
  }
  return kTransferSuccess;
}

// Who reports which failure of a write.
enum class Reporting { kAfWriter, kCsWriter, kQuiet };

struct WritePlan {
  const BlockMap* map = nullptr;
  const AreaCommands* commands = nullptr;
  int functionNumber = 0;  // start failures, and the unit failures of the AF and CS writers
  Reporting reporting = Reporting::kQuiet;
  Image* source = nullptr;  // blocks are composed from copies of this image's blocks...
  bool erased = false;      // ...or from erased (0xFF) blocks
  // Images emptied after the start command and given an erased block before each block.
  std::vector<Image*> rebuilt;
  // Images that receive each written block, in order.
  std::vector<Image*> updated;
  std::function<bool(int block, std::span<std::uint8_t> bytes)> compose;
};

void ReportCompositionFailure(const WritePlan& plan) {
  if (plan.reporting != Reporting::kQuiet) ReportError(plan.functionNumber, kErrCopyBlockData, 0, "Failed to Copy BlockData");
}

// Writes every block of an area. Every block is composed before the start command, so a
// place that does not fit its block stops the write before the lens is touched.
int WriteArea(DockDevice& device, const WritePlan& plan, TransferProgress& progress) {
  const BlockMap& map = *plan.map;
  const AreaCommands& commands = *plan.commands;
  const auto blocks = BlocksOf(map);
  if (!blocks) {
    ReportCompositionFailure(plan);
    return kTransferDataFailure;
  }
  std::vector<Block> composed;
  for (std::size_t i = 0; i < blocks->size(); ++i) {
    const std::size_t bytes = (*blocks)[i].Bytes();
    Block block(bytes, 0xFF);
    if (!plan.erased) {
      if (plan.source == nullptr || i >= plan.source->size() || (*plan.source)[i].size() < bytes) {
        ReportCompositionFailure(plan);
        return kTransferDataFailure;
      }
      std::copy_n((*plan.source)[i].begin(), bytes, block.begin());
    }
    if (!plan.compose(static_cast<int>(i), block)) {
      ReportCompositionFailure(plan);
      return kTransferDataFailure;
    }
    composed.push_back(std::move(block));
  }

  progress.SetTotal(map.total);
  int status = 0;
  if (!device.CommandAndWait(commands.writeStart, commands.writeStartReply, status)) {
    ReportError(plan.functionNumber, kErrCommand, commands.writeStart);
    return kTransferDeviceFailure;
  }
  for (Image* image : plan.rebuilt) ClearImage(*image);
  int done = 0;
  for (std::size_t i = 0; i < blocks->size(); ++i) {
    const BlockSpan& span = (*blocks)[i];
    const Block& block = composed[i];
    for (Image* image : plan.rebuilt) InsertBlock(*image, i, Block(span.Bytes(), 0xFF));
    for (int u = span.start; u < span.start + span.length; ++u) {
      dock::Unit unit;
      std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(u - span.start) * dock::kUnitSize),
                  dock::kUnitSize, unit.begin());
      if (!device.SendBlock(commands.writeUnit, Word(map.total), Word(u), unit)) {
        if (plan.reporting == Reporting::kCsWriter) ReportError(plan.functionNumber, kErrCommand, commands.writeUnit);
        return kTransferDeviceFailure;
      }
      int ackStatus = 0;
      std::uint16_t word1 = 0, word2 = 0;
      if (!device.ReadAck(commands.writeAck, ackStatus, word1, word2)) {
        if (plan.reporting != Reporting::kQuiet) ReportError(plan.functionNumber, kErrResponse, commands.writeAck);
        return kTransferDeviceFailure;
      }
      if (ackStatus != dock::kStatusDone && ackStatus != dock::kStatusAccepted) {
        if (plan.reporting != Reporting::kQuiet) {
          ReportError(plan.functionNumber, kErrUpdateStatus, 0, "UPDATE_STATUS Command Err");
        }
        return kTransferDeviceFailure;
      }
      progress.SetPosition(done++);
    }
    // The images follow the lens block by block, so a write that stops half way leaves
    // them matching what the lens holds.
    for (Image* image : plan.updated) ReplaceBlock(*image, i, block);
  }
  return kTransferSuccess;
}

// The AF and CS writers report an exception of their own as "Other Err"; result 4.
template <typename Body>
int Guarded(int functionNumber, Body body) {
  try {
    return body();
  } catch (const std::exception& e) {
    if (functionNumber != 0) ReportError(functionNumber, kErrOther, 0, e.what());
    return kTransferDataFailure;
  } catch (...) {
    if (functionNumber != 0) ReportError(functionNumber, kErrOther, 0, "Other Err");
    return kTransferDataFailure;
  }
}

}  // namespace

int BothDataReadThread(DockDevice& device, LensSettingsModel& model, TransferProgress& progress) {
  return Guarded(0, [&] {
    return ReadArea(device, model.LensInfo().afMap, kAfCommands, kFnBothDataReadThread,
                    {&model.AfImage, &model.CsImage}, progress);
  });
}

int CSDataReadThread(DockDevice& device, LensSettingsModel& model, TransferProgress& progress) {
  return Guarded(0, [&] {
    return ReadArea(device, model.LensInfo().csMap, kCsCommands, kFnCsDataReadThread, {&model.CsImage}, progress);
  });
}

int AFDataWritingThread(DockDevice& device, LensSettingsModel& model, TransferProgress& progress) {
  return Guarded(kFnAfDataWritingThread, [&] {
    return WriteAfArea(device, model, kFnAfDataWritingThread, {&model.AfImage, &model.CsImage}, progress);
  });
}

int CustomDataWritingThread(DockDevice& device, LensSettingsModel& model, int transferType,
                            TransferProgress& progress) {
  return Guarded(kFnCustomDataWritingThread, [&] {
    WritePlan plan;
    plan.map = &model.LensInfo().csMap;
    plan.commands = &kCsCommands;
    plan.functionNumber = kFnCustomDataWritingThread;
    plan.reporting = Reporting::kCsWriter;
    plan.source = &model.CsImage;
    plan.updated = {&model.CsImage, &model.AfImage};
    const bool reset = transferType == kTransferResetMl;
    if (reset) {
      // The reset rebuilds the CS image from erased blocks.
      plan.erased = true;
      plan.rebuilt = {&model.CsImage};
    }
    const CsSource source = reset ? CsSource::kDefaults : CsSource::kEditedValues;
    plan.compose = [&model, source](int k, std::span<std::uint8_t> b) { return model.ComposeCsRecord(k, b, source); };
    return WriteArea(device, plan, progress);
  });
}

int ResetDataWritingThread(DockDevice& device, LensSettingsModel& model, int transferType,
                           TransferProgress& progress) {
  return Guarded(0, [&] {
    const bool fromFile = transferType == kTransferResetFromFirmware;
    model.afEditBuffer = LensSettingsModel::FilledTable(0xFF);
    if (fromFile) {
      model.LoadCsDefaults();
    } else {
      model.ResetAllEditedValues();
    }
    WritePlan plan;
    plan.map = &model.LensInfo().afMap;
    plan.commands = &kAfCommands;
    plan.functionNumber = kFnAfDataWritingThread;
    plan.reporting = Reporting::kQuiet;
    plan.source = &model.AfImage;
    plan.updated = {&model.AfImage, &model.CsImage};
    if (fromFile) {
      plan.erased = true;
      plan.rebuilt = {&model.AfImage, &model.CsImage};
    }
    const CsSource source = fromFile ? CsSource::kDefaults : CsSource::kEditedValues;
    plan.compose = [&model, source](int k, std::span<std::uint8_t> b) {
      return model.ComposeAfTables(k, b, AfScope::kAll) && model.ComposeCsRecord(k, b, source);
    };
    return WriteArea(device, plan, progress);
  });
}

int RestoreDataWritingThread(DockDevice& device, LensSettingsModel& model, TransferProgress& progress) {
  return Guarded(0, [&] {
    WritePlan plan;
    plan.map = &model.LensInfo().afMap;
    plan.commands = &kAfCommands;
    plan.functionNumber = kFnAfDataWritingThread;
    plan.reporting = Reporting::kQuiet;
    plan.erased = true;
    plan.rebuilt = {&model.AfImage, &model.CsImage};
    plan.updated = {&model.AfImage, &model.CsImage};
    plan.compose = [&model](int k, std::span<std::uint8_t> b) {
      return model.ComposeSavedAfTables(k, b) && model.ComposeCsRecord(k, b, CsSource::kSnapshot);
    };
    return WriteArea(device, plan, progress);
  });
}

int ReadAfArea(DockDevice& device, const LensSettingsModel& model, int functionNumber, Image& into,
               TransferProgress& progress) {
  return ReadArea(device, model.LensInfo().afMap, kAfCommands, functionNumber, {&into}, progress);
}

int WriteAfArea(DockDevice& device, LensSettingsModel& model, int functionNumber, std::vector<Image*> updated,
                TransferProgress& progress) {
  WritePlan plan;
  plan.map = &model.LensInfo().afMap;
  plan.commands = &kAfCommands;
  plan.functionNumber = functionNumber;
  plan.reporting = Reporting::kAfWriter;
  plan.source = &model.AfImage;
  plan.updated = std::move(updated);
  plan.compose = [&](int k, std::span<std::uint8_t> b) { return model.ComposeAfTables(k, b, AfScope::kCurrent); };
  return WriteArea(device, plan, progress);
}

int RunSettingsWorker(int transferType, DockDevice& device, LensSettingsModel& model, TransferProgress& progress) {
  switch (transferType) {
    case kTransferAfWrite: return AFDataWritingThread(device, model, progress);
    case kTransferCsWrite: case kTransferRestoreMl: case kTransferResetMl:
      return CustomDataWritingThread(device, model, transferType, progress);
    case kTransferBothRead: case kTransferBothReadBeforeUpdate: return BothDataReadThread(device, model, progress);
    case kTransferReset: case kTransferResetFromFirmware:
      return ResetDataWritingThread(device, model, transferType, progress);
    case kTransferRestore: return RestoreDataWritingThread(device, model, progress);
    case kTransferCsRead: return CSDataReadThread(device, model, progress);
    default: return kTransferDataFailure;
  }
}

// ---- controller ----

int SettingsController::RunTransfer(int transferType) {
  lastType_ = transferType;
  TransferProgress progress;
  if (onTransfer) onTransfer(transferType, progress);
  return host_.Run(
      transferType, [&](TransferProgress& p) { return RunSettingsWorker(transferType, device_, model_, p); },
      progress);
}

void SettingsController::DeviceLost() {
  if (onDeviceLost) onDeviceLost();
}

// After a lens failure the recorded status is what the device answers now, so that the
// screens stop offering writes to a lens that has gone.
void SettingsController::AfterLensFailure(bool& failed) {
  failed = true;
  device_.SetLastStatus(0);
  int status = dock::kStatusNoAnswer;
  const bool answered = device_.RequestStatusExclusive(&status);
  device_.SetLastStatus(answered ? status : 0);
}

void SettingsController::RefreshModelAfterRead() {
  const auto guardedRead = [](int errorNumber, auto read) {
    bool ok = false;
    try {
      ok = read();
    } catch (const std::exception&) {
      ok = false;
    }
    if (!ok) ReportError(kFnBothDataRead, errorNumber);
  };
  std::uint32_t mode1 = 0, mode2 = 0;
  if (model_.IsMlMount()) {
    guardedRead(kErrByteData, [&] { return model_.ReadWriteCounter(model_.writeCounter); });
    guardedRead(kErrByteData, [&] { return model_.ReadMfSensitivityByte(model_.mfSensitivityByte); });
    guardedRead(kErrCsData, [&] { return model_.ReadModeGroups(mode1, mode2); });
  } else {
    guardedRead(kErrAfData, [&] { return model_.ReadAfTable(model_.afEditBuffer); });
    for (int set = 0; set < kAfSetCount; ++set) {
      // A set the product information does not place stays as it was.
      try {
        model_.ReadAfTableOfSet(set, model_.afSetBuffers[static_cast<std::size_t>(set)]);
      } catch (const std::exception&) {
      }
    }
    guardedRead(kErrCsData, [&] { return model_.ReadModeGroups(mode1, mode2); });
    guardedRead(kErrMfData, [&] { return model_.ReadMfWord(model_.mfWord); });
    guardedRead(kErrByteData, [&] { return model_.ReadAfFunctionByte(model_.afFunctionByte); });
  }
  model_.mode1Group = mode1;
  model_.mode2Group = mode2;
  model_.SaveCsSnapshot();
}

bool SettingsController::BothDataRead(bool& failed, bool beforeUpdate) {
  failed = false;
  const update::CLensUpdateInfoData& info = model_.LensInfo();
  if (!info.CustomSW && !info.FocusCtrl && !info.MFCtrl && !info.AFFuncBCtrl && !info.MFSensCtrl) return true;

  state_.sequenceActive = true;
  const bool result = [&] {
    bool stoppedPolling = false;
    int status = dock::kStatusNoAnswer;
    bool answered = false;
    if (!beforeUpdate) {
      stoppedPolling = device_.IsPolling();
      device_.StopPolling();
      answered = device_.RequestStatus(status);
    } else {
      answered = device_.RequestStatusExclusive(&status);
    }
    if (!answered) {
      DeviceLost();
      return false;
    }
    const auto restartPolling = [&] {
      if (stoppedPolling && !device_.IsPolling()) device_.StartPolling();
    };
    if (status == dock::kStatusNotFinished && !beforeUpdate) {
      restartPolling();
      return false;
    }

    const int type = model_.IsMlMount() ? kTransferCsRead : beforeUpdate ? kTransferBothReadBeforeUpdate
                                                                         : kTransferBothRead;
    const int transfer = RunTransfer(type);
    if (transfer == kTransferDeviceFailure) {
      ReportError(kFnBothDataRead, kErrLensFailure, 0, "Lens failure");
      AfterLensFailure(failed);
      restartPolling();
      return false;
    }
    if (transfer == kTransferDataFailure) ReportError(kFnBothDataRead, kErrFailure, 0, "Failure");
    if (transfer != kTransferSuccess) {
      restartPolling();
      return false;
    }
    RefreshModelAfterRead();

    if (!device_.RequestStatusExclusive(&status)) {
      DeviceLost();
      return false;
    }
    restartPolling();
    return true;
  }();
  state_.sequenceActive = false;
  return result;
}

bool SettingsController::WriteOperation(int functionNumber, int transferType, bool managesPolling, bool& failed) {
  failed = false;
  state_.sequenceActive = true;
  const bool result = [&] {
    const bool stoppedPolling = managesPolling && device_.IsPolling();
    if (managesPolling) device_.StopPolling();
    const auto restartPolling = [&] {
      if (stoppedPolling && !device_.IsPolling()) device_.StartPolling();
    };
    int status = dock::kStatusNoAnswer;
    if (!device_.RequestStatusExclusive(&status)) {
      ReportError(kFnAfDataWrite, kErrDockNotConnected, 0, "Dock is not Connected");
      DeviceLost();
      return false;
    }
    // Without a poll thread nobody else records the status: this answer is the latest.
    if (!device_.IsPolling()) device_.SetLastStatus(status);
    if (device_.lastStatus() != dock::kStatusDone) {
      ReportError(functionNumber, kErrLensNotConnected, 0, "Lens is not Connected");
      restartPolling();
      return false;
    }

    const int transfer = RunTransfer(transferType);
    if (transfer == kTransferDeviceFailure) {
      ReportError(functionNumber, kErrLensFailure, 0, "Lens failure");
      AfterLensFailure(failed);
    } else if (transfer == kTransferDataFailure) {
      ReportError(functionNumber, kErrFailure, 0, "Failure");
    }
    if (transfer == kTransferSuccess) model_.SaveCsSnapshot();

    if (!device_.RequestStatusExclusive(&status)) {
      DeviceLost();
      return false;
    }
    restartPolling();
    return transfer == kTransferSuccess;
  }();
  state_.sequenceActive = false;
  return result;
}

bool SettingsController::AFDataWrite(bool& failed) {
  return WriteOperation(kFnAfDataWrite, kTransferAfWrite, true, failed);
}

bool SettingsController::CSDataWrite(bool& failed) {
  return WriteOperation(kFnCsDataWrite, kTransferCsWrite, true, failed);
}

bool SettingsController::ResetCustomData(bool& failed, bool fromFirmwareFile) {
  if (!fromFirmwareFile) return WriteOperation(kFnCsDataWrite, kTransferReset, true, failed);
  return WriteOperation(kFnCsDataWrite, model_.IsMlMount() ? kTransferResetMl : kTransferResetFromFirmware, false,
                        failed);
}

bool SettingsController::RestoreCustomData(bool& failed) {
  return WriteOperation(kFnCsDataWrite, model_.IsMlMount() ? kTransferRestoreMl : kTransferRestore, false, failed);
}

}  // namespace cbx::lens
