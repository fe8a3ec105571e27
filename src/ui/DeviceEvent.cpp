#include "ui/DeviceEvent.h"

#include <QCoreApplication>

namespace cbx::ui {

QEvent::Type DeviceEvent::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void QtEventSink::Post(const Event& event) {
  // The receiver outlives every device thread: the run stops them before the window goes.
  if (QObject* receiver = receiver_.load()) QCoreApplication::postEvent(receiver, new DeviceEvent(event));
}

}  // namespace cbx::ui
