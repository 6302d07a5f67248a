#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QUrl>
#include <unistd.h>

namespace km640 {

namespace {
QString sanitize(QString key) {
    for (QChar& c : key)
        if (!c.isLetterOrNumber()) c = '_';
    return key + "_" + QString::number(::getuid());
}

// A second start sends one line: empty to raise the window only, or the
// file as a file: URL, which keeps blanks, line breaks and any other
// character of a path intact on one line.
constexpr qsizetype kLongestRequest = 64 * 1024;
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
            connect(s, &QLocalSocket::readyRead, s, [this, s] { answer(s); });
            answer(s);  // the line may be there already
        }
    });
    // Only this user may hand files to the window.
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(key_);
    return true;
}

void SingleInstance::answer(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kLongestRequest) socket->abort();
        return;
    }
    const QByteArray line = socket->readLine(kLongestRequest).trimmed();
    socket->write("ok\n");
    socket->flush();
    emit raiseRequested();
    if (line.isEmpty()) return;
    const QUrl url = QUrl::fromEncoded(line, QUrl::StrictMode);
    if (url.isLocalFile()) emit openRequested(url.toLocalFile());
}

bool SingleInstance::notifyRunning(const QString& file) {
    QLocalSocket socket;
    socket.connectToServer(key_);
    if (!socket.waitForConnected(2000)) return false;
    socket.write((file.isEmpty() ? QByteArray() : QUrl::fromLocalFile(file).toEncoded()) + "\n");
    if (!socket.waitForBytesWritten(2000)) return false;
    const bool answered = socket.waitForReadyRead(2000);
    socket.disconnectFromServer();
    return answered;
}

}  // namespace km640
