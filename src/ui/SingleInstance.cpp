#include "ui/SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace cbx::ui {

namespace {
constexpr auto kRaise = "raise\n";
}

QString InstanceSocketName(const std::string& dataFolder) {
  const QByteArray hash =
      QCryptographicHash::hash(QByteArray::fromStdString(dataFolder), QCryptographicHash::Sha1).toHex().left(16);
  return QStringLiteral("ORVANE Calibrix ") + QString::fromLatin1(hash);
}

InstanceBeacon::InstanceBeacon(const QString& name, std::function<void()> raise, QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)), raise_(std::move(raise)) {
  // This copy holds the instance lock, so a socket left by a copy that crashed is stale.
  QLocalServer::removeServer(name);
  server_->listen(name);
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        if (socket->readAll().startsWith("raise") && raise_) raise_();
        socket->disconnectFromServer();
      });
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
  });
}

bool InstanceBeacon::Listening() const { return server_->isListening(); }

bool InstanceBeacon::AskToRaise(const QString& name) {
  QLocalSocket socket;
  socket.connectToServer(name);
  if (!socket.waitForConnected(2000)) return false;
  socket.write(kRaise);
  const bool written = socket.waitForBytesWritten(2000);
  socket.waitForDisconnected(1000);
  return written;
}

void BringForward(QWidget& window) {
  if (window.isMinimized()) window.showNormal();
  window.raise();
  window.activateWindow();
}

}  // namespace cbx::ui
