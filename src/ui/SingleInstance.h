// One window per data folder: the running copy listens on a local socket; a second copy,
// refused by the instance lock, asks it to come forward and ends without writing anything.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

namespace cbx::ui {

// The socket name of the copy that uses this data folder.
QString InstanceSocketName(const std::string& dataFolder);

class InstanceBeacon : public QObject {
  Q_OBJECT
 public:
  // `raise` runs on the user-interface thread whenever a second copy starts.
  InstanceBeacon(const QString& name, std::function<void()> raise, QObject* parent = nullptr);
  bool Listening() const;

  // From the second copy: whether the running one was reached.
  static bool AskToRaise(const QString& name);

 private:
  QLocalServer* server_;
  std::function<void()> raise_;
};

// What a raise does to the main window: restored when minimised, brought forward.
void BringForward(class QWidget& window);

}  // namespace cbx::ui
