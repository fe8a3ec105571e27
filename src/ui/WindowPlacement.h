// Where the main window opens: at its saved place unless that is mostly off every screen.
#pragma once

#include <QRect>

namespace cbx::ui {

// The bounding box of all screens, grown from the empty rectangle at (0, 0).
QRect ScreenBounds();
// Acceptable unless the part of `window` inside `bounds` is narrower than half its width or
// lower than half its height (halves by integer division).
bool ScreenRectAcceptable(const QRect& window, const QRect& bounds);

}  // namespace cbx::ui
