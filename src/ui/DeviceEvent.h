// Device events as queued Qt events: the device threads post, the user-interface thread's
// event loop (or the nested loop of a modal dialog) delivers them to the controller.
#pragma once

#include <QEvent>
#include <QObject>
#include <atomic>

#include "dock/EventSink.h"

namespace cbx::ui {

class DeviceEvent : public QEvent {
 public:
  static QEvent::Type EventType();
  explicit DeviceEvent(const Event& e) : QEvent(EventType()), event(e) {}
  Event event;
};

// Posts every event to one receiver object; safe from any thread.
class QtEventSink : public EventSink {
 public:
  explicit QtEventSink(QObject* receiver) : receiver_(receiver) {}
  // Set before any device thread runs, cleared after they have all stopped.
  void SetReceiver(QObject* receiver) { receiver_ = receiver; }
  void Post(const Event& event) override;

 private:
  std::atomic<QObject*> receiver_;
};

}  // namespace cbx::ui
