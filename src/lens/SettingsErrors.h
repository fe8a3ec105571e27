// Error numbers of the reports about the lens's settings data, shared by the settings model,
// the transfer workers and the customisation screens.
#pragma once

namespace cbx::lens {

inline constexpr int kErrAfData = 35;      // an AF table cannot be read or placed
inline constexpr int kErrCsData = 36;      // the custom-mode record cannot be read
inline constexpr int kErrCsGroup = 37;     // a custom mode's group cannot be read or placed
inline constexpr int kErrOutOfRange = 38;  // a stored value lies outside its range
inline constexpr int kErrMfData = 39;      // the manual-override word cannot be read
inline constexpr int kErrByteData = 40;    // a single setting byte cannot be read

}  // namespace cbx::lens
