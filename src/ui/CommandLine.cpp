#include "ui/CommandLine.h"

namespace cbx::ui {

bool SplashSuppressed(const QStringList& arguments) {
  for (const QString& argument : arguments) {
    if (!argument.startsWith(QLatin1Char('/')) && !argument.startsWith(QLatin1Char('-'))) continue;
    const QString name = argument.mid(1).toLower();
    if (name == QLatin1String("embedding") || name == QLatin1String("automation")) return true;
  }
  return false;
}

}  // namespace cbx::ui
