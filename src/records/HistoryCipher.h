// RC4 encipherment of history archives. The whole file is one RC4 stream from its first byte,
// so deciphering is the same operation as enciphering.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace cbx::records {

// 16 bytes: the start of the SHA-1 digest of the 14 pass-phrase bytes "HrTavelQsU_Lnx".
std::vector<std::uint8_t> HistoryKey();

// Transforms data in place with RC4 under key (1 to 256 bytes). False when the cipher is not
// available or the key is unusable; data is then unchanged.
bool Rc4Transform(std::span<const std::uint8_t> key, std::vector<std::uint8_t>& data);

// Replaces the file's content by its encipherment under the history key. On failure the file
// is left as it was.
bool EncipherFile(const std::string& path);

// Writes the decipherment of the file to path + ".tmp" (created or replaced). True only when
// that file has been written completely; on failure no partial ".tmp" file is left behind.
bool DecipherToTemp(const std::string& path);

}  // namespace cbx::records
