// A device record as JSON, every field under its own name, for the inspect commands.
#pragma once

#include <nlohmann/json.hpp>

#include "update/LensUpdateInfo.h"

namespace cbx::cli {

// {count, base, total, address[], start[], length[]}
nlohmann::ordered_json ToJson(const update::BlockMap& map);
// {count, index[], offset[]}
nlohmann::ordered_json ToJson(const update::OffsetList& list);
nlohmann::ordered_json ToJson(const update::CLensUpdateInfoData& record);
// The fields a person looks at first: name, codes, serial number, versions.
nlohmann::ordered_json RecordSummaryJson(update::CLensUpdateInfoData record, int index);

}  // namespace cbx::cli
