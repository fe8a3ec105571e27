#include "ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>

namespace cbx::ui {

QRect ScreenBounds() {
  // Starting from the empty rectangle keeps (0, 0) inside, as the platform's union did.
  int left = 0, top = 0, right = 0, bottom = 0;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect g = screen->geometry();
    left = std::min(left, g.left());
    top = std::min(top, g.top());
    right = std::max(right, g.left() + g.width());
    bottom = std::max(bottom, g.top() + g.height());
  }
  return QRect(left, top, right - left, bottom - top);
}

bool ScreenRectAcceptable(const QRect& window, const QRect& bounds) {
  const QRect inside = window.intersected(bounds);
  return !(inside.width() < window.width() / 2 || inside.height() < window.height() / 2);
}

}  // namespace cbx::ui
