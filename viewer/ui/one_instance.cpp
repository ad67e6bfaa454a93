#include "one_instance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include "command_line.h"

namespace bookloom {

namespace {
constexpr quint32 kMagic = 0x424C4F31;  // "BLO1"
constexpr char kAck = 'A';
constexpr qint64 kMaxMessage = 64 * 1024;
}  // namespace

TOneInstance::TOneInstance(const QString& key, QObject* parent)
    : QObject(parent), fKey(key), fPath(SocketPath(key)) {}

TOneInstance::~TOneInstance() {
  if (fServer) fServer->close();
}

QString TOneInstance::SocketPath(const QString& key) {
  const QString user = QString::number(::geteuid());
  const QByteArray hash =
      QCryptographicHash::hash((user + u'\n' + key).toUtf8(), QCryptographicHash::Sha1).toHex().left(24);
  QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (dir.isEmpty() || !QDir(dir).exists()) dir = QDir::tempPath();
  return dir + QStringLiteral("/bookloom-") + user + u'-' + QString::fromLatin1(hash);
}

bool TOneInstance::Start() {
  // The lock makes "is one running? else listen" one step for concurrent
  // starts with the same key.
  QLockFile lock(fPath + QStringLiteral(".lock"));
  lock.setStaleLockTime(5000);
  lock.tryLock(5000);
  QLocalSocket probe;
  probe.connectToServer(fPath);
  if (probe.waitForConnected(1000)) {
    probe.abort();
    fFirst = false;
    return false;
  }
  // Nobody answers: a socket file left by a crashed viewer is removed.
  QLocalServer::removeServer(fPath);
  fServer = new QLocalServer(this);
  fServer->setSocketOptions(QLocalServer::UserAccessOption);
  if (!fServer->listen(fPath)) {
    // Cannot listen: run alone rather than refuse to show the book.
    delete fServer;
    fServer = nullptr;
  } else {
    connect(fServer, &QLocalServer::newConnection, this, &TOneInstance::OnNewConnection);
  }
  fFirst = true;
  return true;
}

bool TOneInstance::Hand(const QStringList& args, int timeoutMs) {
  QLocalSocket sock;
  sock.connectToServer(fPath);
  if (!sock.waitForConnected(timeoutMs)) return false;
  QByteArray payload;
  {
    QDataStream out(&payload, QIODevice::WriteOnly);
    out << kMagic << LimitHandedArgs(args);
  }
  QByteArray msg;
  {
    QDataStream out(&msg, QIODevice::WriteOnly);
    out << static_cast<quint32>(payload.size());
  }
  msg += payload;
  sock.write(msg);
  if (!sock.waitForBytesWritten(timeoutMs)) return false;
  while (sock.bytesAvailable() < 1)
    if (!sock.waitForReadyRead(timeoutMs)) return false;
  char c = 0;
  return sock.getChar(&c) && c == kAck;
}

void TOneInstance::OnNewConnection() {
  while (QLocalSocket* sock = fServer->nextPendingConnection()) {
    connect(sock, &QLocalSocket::disconnected, sock, &QObject::deleteLater);
    connect(sock, &QLocalSocket::readyRead, this, [this, sock] {
      if (sock->bytesAvailable() < 4) return;
      QDataStream head(sock->peek(4));
      quint32 size = 0;
      head >> size;
      if (size > kMaxMessage) {  // not one of ours
        sock->abort();
        return;
      }
      if (sock->bytesAvailable() < 4 + qint64(size)) return;
      sock->read(4);
      QDataStream in(sock->read(size));
      quint32 magic = 0;
      QStringList params;
      in >> magic >> params;
      if (in.status() != QDataStream::Ok || magic != kMagic) {
        sock->abort();
        return;
      }
      sock->putChar(kAck);
      sock->flush();
      emit Started(LimitHandedArgs(params));
    });
  }
}

}  // namespace bookloom
