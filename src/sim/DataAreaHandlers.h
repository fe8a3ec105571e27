// The lens data areas as a virtual lens keeps them: the AF area and, on ml-mount lenses, a
// CS area of its own, read and written in numbered 32-byte units after a start command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace cbx::sim {

// Lenses of these mounts keep their CS record in a CS area of its own.
bool IsMlMount(std::uint8_t mountCode);

// Which exchange the last start command opened; a unit request of another kind is out of
// sequence and is refused.
enum class DataAreaExchange { None, AfRead, AfWrite, CsRead, CsWrite };

// Answers one data-area unit request with `status` instead of the real outcome: the N-th
// unit request from the moment it is set (1 is the next). An answer other than 0xAA or 0xFF
// leaves the memory as it was.
struct UnitStatusFault {
  std::size_t unit = 1;
  std::uint8_t status = 0x00;
};

struct DataAreaSession {
  DataAreaExchange exchange = DataAreaExchange::None;
  std::optional<UnitStatusFault> fault;
};

// The status a refused unit request is answered with.
inline constexpr std::uint8_t kUnitRefused = 0x00;

}  // namespace cbx::sim
