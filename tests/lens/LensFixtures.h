// Product information of the two kinds of lens the settings model knows, with small areas.
#pragma once

#include <cstdint>
#include <vector>

#include "lens/LensSettingsModel.h"
#include "update/LensUpdateInfo.h"

namespace cbx::lens::test {

inline update::OffsetList Places(int count, std::vector<int> index, std::vector<std::uint32_t> offset) {
  update::OffsetList list;
  list.count = count;
  list.index = std::move(index);
  list.offset = std::move(offset);
  return list;
}

inline update::BlockMap Blocks(int count, int unitsPerBlock) {
  update::BlockMap map;
  map.count = count;
  map.total = count * unitsPerBlock;
  for (int i = 0; i < count; ++i) {
    map.address.push_back(static_cast<std::uint32_t>(0x1000 * (i + 1)));
    map.start.push_back(i * unitsPerBlock);
    map.length.push_back(unitsPerBlock);
  }
  return map;
}

// Two AF-area blocks of 4096 bytes: tables in block 0, half-scale copies in block 1, and the
// CS record at 2048 in both blocks.
inline update::CLensUpdateInfoData StandardLens(int mountCode = 0x10) {
  update::CLensUpdateInfoData lens;
  lens.mountCode = mountCode;
  lens.afMap = Blocks(2, 128);
  lens.csMap = Blocks(2, 128);
  lens.af0List = Places(1, {0}, {0});
  lens.af1List = Places(1, {0}, {512});
  lens.af2List = Places(1, {0}, {1024});
  lens.afpa0List = Places(1, {1}, {0});
  lens.afpa1List = Places(1, {1}, {512});
  lens.afpa2List = Places(1, {1}, {1024});
  lens.cs0List = Places(1, {1, 0}, {2048, 2048});
  lens.encoderPositions = {1.0, 2.0, 3.0, 4.0};
  lens.scaleRatios = {8, 8, 8, 8};
  return lens;
}

// One CS-area block of 512 bytes holding the record at 0.
inline update::CLensUpdateInfoData MlLens() {
  update::CLensUpdateInfoData lens;
  lens.mountCode = 0x90;
  lens.csMap = Blocks(1, 16);
  lens.cs0List = Places(1, {0}, {0});
  lens.encoderPositions = {1.0, 2.0, 3.0, 4.0, 5.0};
  lens.FocusLimitCtrlReset = "3";
  lens.MFSensCtrl = 1;
  return lens;
}

inline Block Erased(std::size_t size) { return Block(size, 0xFF); }

// A model whose images hold erased blocks as the product information lays them out.
inline LensSettingsModel ModelWith(const update::CLensUpdateInfoData& lens) {
  LensSettingsModel model;
  model.SetLensInfo(lens);
  const auto& map = model.IsMlMount() ? lens.csMap : lens.afMap;
  for (int i = 0; i < map.count; ++i) {
    const Block block = Erased(static_cast<std::size_t>(map.length[static_cast<std::size_t>(i)]) * 32);
    if (!model.IsMlMount()) InsertBlock(model.AfImage, static_cast<std::size_t>(i), block);
    InsertBlock(model.CsImage, static_cast<std::size_t>(i), block);
  }
  return model;
}

}  // namespace cbx::lens::test
