// What the window takes from its command line.
#pragma once

#include <QStringList>

namespace cbx::ui {

// "Embedding" or "Automation" after "/" or "-", in any letter case, suppress the splash.
bool SplashSuppressed(const QStringList& arguments);

}  // namespace cbx::ui
