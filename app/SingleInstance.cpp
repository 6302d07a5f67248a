#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <unistd.h>

namespace km640 {

namespace {
QString sanitize(QString key) {
    for (QChar& c : key)
        if (!c.isLetterOrNumber()) c = '_';
    return key + "_" + QString::number(::getuid());
}
}  // namespace

SingleInstance::SingleInstance(const QString& key) : key_(sanitize(key)) {}

SingleInstance::~SingleInstance() {
    server_.close();
    if (lock_) lock_->unlock();
}

bool SingleInstance::acquire() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    lock_ = std::make_unique<QLockFile>(dir + "/" + key_ + ".lock");
    lock_->setStaleLockTime(0);  // a lock left by a crashed run is taken over
    if (!lock_->tryLock(0)) return false;
    QLocalServer::removeServer(key_);  // a socket left by a crashed run
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_.nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            s->write("ok");
            s->flush();
            emit raiseRequested();
        }
    });
    server_.listen(key_);
    return true;
}

bool SingleInstance::notifyRunning() {
    QLocalSocket socket;
    socket.connectToServer(key_);
    if (!socket.waitForConnected(2000)) return false;
    const bool answered = socket.waitForReadyRead(2000);
    socket.disconnectFromServer();
    return answered;
}

}  // namespace km640
