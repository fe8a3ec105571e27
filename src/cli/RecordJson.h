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

}  // namespace cbx::cli
