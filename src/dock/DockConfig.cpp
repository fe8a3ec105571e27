#include "dock/DockConfig.h"

#include <cstdlib>
#include <string>

namespace cbx::dock {

std::uint16_t DockVendorId() {
  const char* text = std::getenv("CALIBRIX_VENDOR_ID");
  if (text == nullptr || *text == '\0') return DOCK_VENDOR_ID;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 0);
  if (end == text || *end != '\0' || value > 0xFFFF) return DOCK_VENDOR_ID;
  return static_cast<std::uint16_t>(value);
}

}  // namespace cbx::dock
