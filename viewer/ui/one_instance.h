// One viewer per instance key and user: the first process listens on a
// local socket named after the key; a later one hands it its arguments.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace bookloom {

class TOneInstance : public QObject {
  Q_OBJECT
 public:
  explicit TOneInstance(const QString& key, QObject* parent = nullptr);
  ~TOneInstance() override;

  // The socket path for a key: $XDG_RUNTIME_DIR (or the temp folder with
  // the user's name) + "bookloom-" + a hash of the key and the user.
  static QString SocketPath(const QString& key);

  // Becomes the first instance or finds the running one. True when this
  // process is the first.
  bool Start();
  bool IsFirst() const { return fFirst; }
  // In a later process: hands the arguments (at most 10, 300 characters
  // each) to the first one and waits for its acknowledgement. False when
  // no running instance took them.
  bool Hand(const QStringList& args, int timeoutMs = 10000);

 signals:
  // In the first process, on the UI thread, for each later start.
  void Started(const QStringList& params);

 private:
  void OnNewConnection();
  QString fKey;
  QString fPath;
  QLocalServer* fServer = nullptr;
  bool fFirst = false;
};

}  // namespace bookloom
